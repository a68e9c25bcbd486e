#include "pattern/KanaOrder.h"

#include <string_view>

namespace kinfold {
namespace {

// The hiragana run; katakana is the same shifted by kKatakanaShift, and vu after it.
constexpr std::u32string_view kHiragana =
    U"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    U"がぎぐげござじずぜぞだぢづでどばびぶべぼ"
    U"ぱぴぷぺぽ"
    U"ぁぃぅぇぉっゃゅょ";
constexpr char32_t kKatakanaShift = 0x60;  // U+3042 あ to U+30A2 ア
constexpr char32_t kVu = U'ヴ';

// Half-width katakana U+FF66..U+FF9D as the full-width characters they stand for.
constexpr std::u32string_view kHalfWidth =
    U"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";
constexpr char32_t kFirstHalfWidth = 0xFF66;

static_assert(kHiragana.size() == kHiraganaRun);
static_assert(kHalfWidth.size() == 0xFF9D - kFirstHalfWidth + 1);

KanaGroup groupOf(int index) {
    if (index < kBasicKana) return KanaGroup::Basic;
    if (index < kBasicKana + kVoicedKana) return KanaGroup::Voiced;
    if (index < kBasicKana + kVoicedKana + kHalfVoicedKana) return KanaGroup::HalfVoiced;
    if (index < kHiraganaRun) return KanaGroup::Small;
    return KanaGroup::Vu;
}

std::optional<KanaPlace> placeIn(KanaScript script, char32_t hiragana) {
    const std::size_t at = kHiragana.find(hiragana);
    if (at == std::u32string_view::npos) return std::nullopt;
    const int index = static_cast<int>(at);
    return KanaPlace{script, index, groupOf(index)};
}

}  // namespace

std::optional<KanaPlace> kanaPlace(char32_t codePoint) {
    if (codePoint >= kFirstHalfWidth && codePoint < kFirstHalfWidth + kHalfWidth.size()) {
        codePoint = kHalfWidth[codePoint - kFirstHalfWidth];
    }
    if (codePoint == kVu) return KanaPlace{KanaScript::Katakana, kHiraganaRun, KanaGroup::Vu};
    if (codePoint >= U'\u3041' && codePoint <= U'\u3096') return placeIn(KanaScript::Hiragana, codePoint);
    if (codePoint >= U'\u30A1' && codePoint <= U'\u30F6') {
        return placeIn(KanaScript::Katakana, codePoint - kKatakanaShift);
    }
    return std::nullopt;
}

std::optional<KanaPlace> kanaPlaceOfCode(int code) {
    if (code >= kHiraganaBase && code < kHiraganaBase + kHiraganaRun) {
        const int index = code - kHiraganaBase;
        return KanaPlace{KanaScript::Hiragana, index, groupOf(index)};
    }
    if (code >= kKatakanaBase && code < kKatakanaBase + kKatakanaRun) {
        const int index = code - kKatakanaBase;
        return KanaPlace{KanaScript::Katakana, index, groupOf(index)};
    }
    return std::nullopt;
}

char32_t kanaCodePoint(const KanaPlace& place) {
    if (place.group == KanaGroup::Vu) return kVu;
    const char32_t hiragana = kHiragana[static_cast<std::size_t>(place.index)];
    return place.script == KanaScript::Hiragana ? hiragana : hiragana + kKatakanaShift;
}

std::optional<char32_t> unvoicedKana(char32_t codePoint) {
    const std::optional<KanaPlace> place = kanaPlace(codePoint);
    if (!place) return std::nullopt;
    if (place->group == KanaGroup::Vu) return U'ウ';
    if (place->group != KanaGroup::Voiced && place->group != KanaGroup::HalfVoiced) return std::nullopt;
    // The voiced kana are those of ka ki ku ke ko (from 5) to to (19), then of
    // ha to ho (from 25); the half-voiced are ha to ho again.
    int basic = 0;
    if (place->group == KanaGroup::Voiced) {
        const int voiced = place->index - kBasicKana;
        basic = voiced < 15 ? 5 + voiced : 25 + (voiced - 15);
    } else {
        basic = 25 + (place->index - kBasicKana - kVoicedKana);
    }
    return kanaCodePoint(KanaPlace{place->script, basic, KanaGroup::Basic});
}

}  // namespace kinfold
