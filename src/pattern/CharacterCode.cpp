#include "pattern/CharacterCode.h"

#include "pattern/KanaOrder.h"

#include <array>

namespace kinfold {
namespace {

struct HighByte {
    char32_t codePoint;
    std::uint8_t byte;
};

// The 27 characters that code page 1252 puts at 0x80..0x9F. Its five empty
// slots (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep U+0081 and friends as themselves,
// which the code point rule already gives.
constexpr std::array<HighByte, 27> kHighBytes{{
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86}, {0x2021, 0x87},
    {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91},
    {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98},
    {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
}};

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::optional<DecodedCharacter> decodeFirstCharacter(std::string_view utf8) {
    if (utf8.empty()) return std::nullopt;
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const unsigned char lead = byteAt(0);
    if (lead < 0x80) return DecodedCharacter{lead, 1};

    std::size_t length = 0;
    char32_t cp = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1Fu;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0Fu;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07u;
        smallest = 0x10000;
    } else {
        // A continuation byte, an always-overlong C0/C1 lead or a byte that
        // would lead past U+10FFFF.
        return std::nullopt;
    }
    if (utf8.size() < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(byteAt(i))) return std::nullopt;
        cp = (cp << 6) | (byteAt(i) & 0x3Fu);
    }
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    return DecodedCharacter{cp, length};
}

std::optional<std::uint8_t> windows1252HighByte(char32_t codePoint) {
    for (const HighByte& h : kHighBytes) {
        if (h.codePoint == codePoint) return h.byte;
    }
    return std::nullopt;
}

std::optional<std::int16_t> codePointCode(char32_t codePoint, KanaCodes kana) {
    if (const auto byte = windows1252HighByte(codePoint)) return static_cast<std::int16_t>(*byte);
    if (kana == KanaCodes::GameOrder) {
        if (const auto place = kanaPlace(codePoint)) return static_cast<std::int16_t>(place->code());
    }
    // Code page 1252 agrees with Unicode on 0x00..0x7F and 0xA0..0xFF.
    if (codePoint > 0x7FFF) return std::nullopt;
    return static_cast<std::int16_t>(codePoint);
}

std::optional<std::int16_t> characterCode(std::string_view utf8, KanaCodes kana) {
    const auto decoded = decodeFirstCharacter(utf8);
    if (!decoded) return std::nullopt;
    return codePointCode(decoded->codePoint, kana);
}

std::string utf8Text(char32_t codePoint) {
    std::string text;
    const auto put = [&](char32_t bits) { text.push_back(static_cast<char>(bits)); };
    if (codePoint < 0x80) {
        put(codePoint);
    } else if (codePoint < 0x800) {
        put(0xC0 | (codePoint >> 6));
        put(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        put(0xE0 | (codePoint >> 12));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    } else {
        put(0xF0 | (codePoint >> 18));
        put(0x80 | ((codePoint >> 12) & 0x3F));
        put(0x80 | ((codePoint >> 6) & 0x3F));
        put(0x80 | (codePoint & 0x3F));
    }
    return text;
}

std::string characterText(int code) {
    if (code < 0) return {};
    for (const HighByte& h : kHighBytes) {
        if (h.byte == code) return utf8Text(h.codePoint);
    }
    if (const auto place = kanaPlaceOfCode(code)) return utf8Text(kanaCodePoint(*place));
    return utf8Text(static_cast<char32_t>(code));
}

bool isPrintableCode(int code) {
    if (code < 0x20 || code == 0x7F) return false;
    if (code >= 0x80 && code <= 0x9F) {
        // Code page 1252 leaves five of these slots empty; they stay control codes.
        for (const HighByte& h : kHighBytes) {
            if (h.byte == code) return true;
        }
        return false;
    }
    // Surrogates stand for no character on their own.
    return code < 0xD800 || (code > 0xDFFF && code <= 0x10FFFF);
}

}  // namespace kinfold
