#pragma once

#include <optional>

namespace kinfold {

// The kana in the order 8-bit games keep them: for each script a run of codes
// from its base, the 46 basic kana in gojuon order (a i u e o ka ... wa wo n),
// then the 20 voiced, the 5 half-voiced and the 9 small kana, and for
// katakana vu last. Steps between basic kana of one script are then the
// games' steps, where Unicode puts small and voiced kana among them.
//
// The bases sit in the Braille patterns block (U+2800..U+28FF), which no
// game text holds, so that the codes stay 16-bit signed, far from the code
// page's, and apart from every code point a Japanese text is typed with:
// the ideographic punctuation (U+3000..), the kana's own Unicode codes
// (which --kana unicode uses) and the long vowel mark keep their codes.
inline constexpr int kHiraganaBase = 0x2800;
inline constexpr int kKatakanaBase = 0x2880;

inline constexpr int kBasicKana = 46;
inline constexpr int kVoicedKana = 20;
inline constexpr int kHalfVoicedKana = 5;
inline constexpr int kSmallKana = 9;
inline constexpr int kHiraganaRun = kBasicKana + kVoicedKana + kHalfVoicedKana + kSmallKana;  // 80
inline constexpr int kKatakanaRun = kHiraganaRun + 1;                                         // and vu

enum class KanaScript { Hiragana, Katakana };
enum class KanaGroup { Basic, Voiced, HalfVoiced, Small, Vu };

// Where a kana stands in the order.
struct KanaPlace {
    KanaScript script = KanaScript::Hiragana;
    int index = 0;  // from 0, within its script's run
    KanaGroup group = KanaGroup::Basic;
    int code() const { return (script == KanaScript::Hiragana ? kHiraganaBase : kKatakanaBase) + index; }
};

// The place of a kana code point: hiragana, katakana, or half-width katakana
// U+FF66..U+FF9D (which take the katakana's place; the half-width long vowel
// mark U+FF70 is not a kana and has none). nullopt for any other code point.
std::optional<KanaPlace> kanaPlace(char32_t codePoint);

// The place a code of the order stands for, or nullopt outside both runs.
std::optional<KanaPlace> kanaPlaceOfCode(int code);

// The full-width code point of a place (hiragana or katakana).
char32_t kanaCodePoint(const KanaPlace& place);

// The basic kana a voiced or half-voiced kana is written with (が -> か,
// ぱ -> は, ヴ -> ウ), or nullopt for any other code point.
std::optional<char32_t> unvoicedKana(char32_t codePoint);

}  // namespace kinfold
