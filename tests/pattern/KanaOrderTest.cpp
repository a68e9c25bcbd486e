#include "pattern/KanaOrder.h"

#include "pattern/CharacterCode.h"

#include <gtest/gtest.h>

#include <string>

namespace kinfold {
namespace {

// Every kana's code is checked against a list of its own in CharacterCodeTest;
// here: what stays outside the order, the steps, the runs and the voicing.
struct OutsideCase {
    const char* name;
    const char* text;
    int expected;
};

class CharactersOutsideTheOrder : public ::testing::TestWithParam<OutsideCase> {};

TEST_P(CharactersOutsideTheOrder, KeepTheirCodes) {
    EXPECT_EQ(characterCode(GetParam().text).value_or(-1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CharactersOutsideTheOrder,
    ::testing::Values(OutsideCase{"SmallWa", "ゎ", 0x308E}, OutsideCase{"Wi", "ゐ", 0x3090},
                      OutsideCase{"SmallKa", "ゕ", 0x3095}, OutsideCase{"KatakanaSmallKe", "ヶ", 0x30F6},
                      OutsideCase{"LongVowelMark", "ー", 0x30FC}, OutsideCase{"IdeographicFullStop", "。", 0x3002},
                      OutsideCase{"VoicedMark", "゛", 0x309B}, OutsideCase{"Kanji", "山", 0x5C71},
                      OutsideCase{"HalfWidthLongVowelMark", "ｰ", -1}, OutsideCase{"HalfWidthVoicedMark", "ﾞ", -1},
                      OutsideCase{"HalfWidthFullStop", "｡", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KanaOrder, BasicKanaAreOneStepApartInBothScripts) {
    const std::u32string hiragana =
        U"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん";
    for (std::size_t i = 0; i < hiragana.size(); ++i) {
        const auto place = kanaPlace(hiragana[i]);
        ASSERT_TRUE(place.has_value()) << i;
        EXPECT_EQ(place->group, KanaGroup::Basic);
        EXPECT_EQ(*codePointCode(hiragana[i]), kHiraganaBase + static_cast<int>(i));
        EXPECT_EQ(*codePointCode(hiragana[i] + 0x60), kKatakanaBase + static_cast<int>(i));
    }
}

TEST(KanaOrder, EveryCodeOfBothRunsReadsBackAndFits16Bits) {
    int codes = 0;
    for (int code = kHiraganaBase; code < kKatakanaBase + kKatakanaRun; ++code) {
        const auto place = kanaPlaceOfCode(code);
        if (!place) continue;
        ++codes;
        EXPECT_LE(code, 0x7FFF);
        EXPECT_EQ(kanaPlace(kanaCodePoint(*place))->code(), code) << code;
        EXPECT_EQ(*codePointCode(kanaCodePoint(*place), KanaCodes::Unicode), static_cast<int>(kanaCodePoint(*place)));
    }
    EXPECT_EQ(codes, kHiraganaRun + kKatakanaRun);
    EXPECT_FALSE(kanaPlaceOfCode(kHiraganaBase - 1));
    EXPECT_FALSE(kanaPlaceOfCode(kHiraganaBase + kHiraganaRun));
    EXPECT_FALSE(kanaPlaceOfCode(kKatakanaBase + kKatakanaRun));
}

TEST(KanaOrder, VoicedKanaAreWrittenWithTheirBasicKana) {
    const std::u32string voiced = U"がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽガボパポヴ";
    const std::u32string basic = U"かきくけこさしすせそたちつてとはひふへほはひふへほカホハホウ";
    for (std::size_t i = 0; i < voiced.size(); ++i) EXPECT_EQ(unvoicedKana(voiced[i]), basic[i]) << i;
    for (const char32_t c : std::u32string(U"かあんぁヲA")) EXPECT_FALSE(unvoicedKana(c)) << static_cast<int>(c);
}

}  // namespace
}  // namespace kinfold
