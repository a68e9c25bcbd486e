#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kinfold {

// How kana are coded: in the games' order (see KanaOrder.h), or as their
// Unicode code points, which Shift-JIS and EUC-JP text keeps the spacing of.
enum class KanaCodes { GameOrder, Unicode };

// The code of the first character of a UTF-8 text: its byte in the Windows
// code page 1252 when that page holds it ("é" 233, "€" 128), a kana its code
// in the games' order ("あ" 10240) unless kana asks for Unicode, otherwise its
// Unicode code point when that fits 16-bit signed ("、" 12289). Characters
// after the first are ignored. nullopt for an empty text, a text that does not
// start with valid UTF-8, and a character above U+7FFF that is not a kana.
std::optional<std::int16_t> characterCode(std::string_view utf8, KanaCodes kana = KanaCodes::GameOrder);

// The same for one code point.
std::optional<std::int16_t> codePointCode(char32_t codePoint, KanaCodes kana = KanaCodes::GameOrder);

// The first code point of a UTF-8 text and the number of bytes it takes, or
// nullopt when the text is empty or does not start with a well-formed
// sequence (overlong forms, surrogates and values above U+10FFFF are not).
struct DecodedCharacter {
    char32_t codePoint = 0;
    std::size_t length = 0;
};
std::optional<DecodedCharacter> decodeFirstCharacter(std::string_view utf8);

// The code page 1252 byte of a code point that the page maps to a byte in
// 0x80..0x9F other than its own, or nullopt for any other code point.
std::optional<std::uint8_t> windows1252HighByte(char32_t codePoint);

// The reverse of characterCode: the UTF-8 text of a character code, read as
// a code page 1252 byte where the page has a character there, as a kana in the
// games' order where a kana has it, and as a code point otherwise (so the
// Unicode codes of kana read back too). Empty for a negative code.
std::string characterText(int code);

// Whether a code stands for a character a person can see or type: not a
// control code, not an empty code page slot, not negative.
bool isPrintableCode(int code);

// The UTF-8 bytes of a code point (at most U+10FFFF, not a surrogate).
std::string utf8Text(char32_t codePoint);

}  // namespace kinfold
