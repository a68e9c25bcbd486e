#include "pattern/KanaOrder.h"

#include "pattern/CharacterCode.h"

#include <gtest/gtest.h>

#include <string>

namespace kinfold {
namespace {

struct KanaCase {
    const char* name;
    const char* text;
    int expected;               // the code in the games' order
    const char* back = nullptr;  // the text of that code, when it is not the same
};

class KanaCodesInGameOrder : public ::testing::TestWithParam<KanaCase> {};

TEST_P(KanaCodesInGameOrder, GiveTheExpectedCode) {
    EXPECT_EQ(characterCode(GetParam().text).value_or(-1), GetParam().expected);
    EXPECT_EQ(characterText(GetParam().expected), GetParam().back ? GetParam().back : GetParam().text);
}

// Places counted by hand: 46 basic kana, then 20 voiced, 5 half-voiced, 9 small.
INSTANTIATE_TEST_SUITE_P(
    Table, KanaCodesInGameOrder,
    ::testing::Values(KanaCase{"A", "あ", 0x2800}, KanaCase{"I", "い", 0x2801}, KanaCase{"Ka", "か", 0x2805},
                      KanaCase{"Ki", "き", 0x2806}, KanaCase{"Wa", "わ", 0x2800 + 43},
                      KanaCase{"Wo", "を", 0x2800 + 44}, KanaCase{"N", "ん", 0x2800 + 45},
                      KanaCase{"GaFirstVoiced", "が", 0x2800 + 46}, KanaCase{"BoLastVoiced", "ぼ", 0x2800 + 65},
                      KanaCase{"PaFirstHalfVoiced", "ぱ", 0x2800 + 66}, KanaCase{"PoLastHalfVoiced", "ぽ", 0x2800 + 70},
                      KanaCase{"SmallAFirstSmall", "ぁ", 0x2800 + 71}, KanaCase{"SmallYoLastSmall", "ょ", 0x2800 + 79},
                      KanaCase{"KatakanaA", "ア", 0x2880}, KanaCase{"KatakanaN", "ン", 0x2880 + 45},
                      KanaCase{"KatakanaSmallYo", "ョ", 0x2880 + 79}, KanaCase{"KatakanaVu", "ヴ", 0x2880 + 80},
                      KanaCase{"HalfWidthWoFirst", "ｦ", 0x2880 + 44, "ヲ"},
                      KanaCase{"HalfWidthSmallA", "ｧ", 0x2880 + 71, "ァ"},
                      KanaCase{"HalfWidthSmallTsu", "ｯ", 0x2880 + 76, "ッ"}, KanaCase{"HalfWidthA", "ｱ", 0x2880, "ア"},
                      KanaCase{"HalfWidthNLast", "ﾝ", 0x2880 + 45, "ン"}),
    [](const auto& info) { return std::string(info.param.name); });

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
    const std::u32string hiragana = U"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん";
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
