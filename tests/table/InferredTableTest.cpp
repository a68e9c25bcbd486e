#include "pattern/CharacterCode.h"
#include "table/HitShift.h"
#include "table/InferredTable.h"
#include "table/TableFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinfold {
namespace {

// A pattern from values; kSkip stands for a skipped entry.
constexpr int kSkip = 1 << 20;
SearchPattern patternOf(std::vector<int> values) {
    SearchPattern p;
    for (int v : values) {
        if (v == kSkip) {
            EXPECT_TRUE(p.appendSkipped());
        } else {
            EXPECT_EQ(p.appendValue(static_cast<std::int16_t>(v)), SearchPattern::AppendResult::Added);
        }
    }
    return p;
}
std::vector<int> textValues(std::string_view text) {
    std::vector<int> values;
    for (char c : text) values.push_back(c == '*' ? kSkip : static_cast<unsigned char>(c));
    return values;
}

// The codes of a UTF-8 text as the window's string entry gives them, kana in the games' order.
std::vector<int> kanaValues(std::string_view text) {
    std::vector<int> values;
    while (!text.empty()) {
        values.push_back(*characterCode(text));
        text.remove_prefix(decodeFirstCharacter(text)->length);
    }
    return values;
}

struct InferCase {
    const char* name;
    std::vector<int> values;
    MatchOptions options;
    std::vector<std::uint8_t> atHit;  // the file's bytes from the hit on
    std::int64_t shift;
    bool widenAll;  // every block switch on instead of the pattern's own
    std::string text;
    std::size_t count;
    std::string first;  // first and last lines of the table file
    std::string last;
};

MatchOptions width(int bits, ByteOrder order = ByteOrder::Little) {
    MatchOptions o;
    o.width = bits;
    o.byteOrder = order;
    return o;
}

class InferredTableTest : public ::testing::TestWithParam<InferCase> {};

TEST_P(InferredTableTest, ShiftAndTable) {
    const InferCase& c = GetParam();
    const SearchPattern pattern = patternOf(c.values);
    const auto shift = hitShift(pattern, c.atHit, c.options);
    ASSERT_TRUE(shift.has_value());
    EXPECT_EQ(*shift, c.shift);
    EXPECT_EQ(patternText(pattern), c.text);
    const TableBlocks blocks = c.widenAll ? TableBlocks{true, true, true, true} : patternBlocks(pattern);
    const CharacterTable table = inferTable(pattern, *shift, blocks, c.options);
    EXPECT_EQ(table.size(), c.count);
    const std::string file = tableFileText(table);
    EXPECT_EQ(file.substr(0, file.find('\n')), c.first);
    EXPECT_EQ(file.substr(file.rfind('\n', file.size() - 2) + 1), c.last + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InferredTableTest,
    ::testing::Values(
        InferCase{"UpperAndLowerBlocks",
                  textValues("Hello"),
                  width(8),
                  {0x80},
                  0x80 - 'H',
                  false,
                  "Hello",
                  52,
                  "79=A",
                  "B2=z"},
        InferCase{"MixedCaseDropsDigitsBelowZero",
                  textValues("Ab1"),
                  width(8),
                  {0x05},
                  5 - 'A',
                  false,
                  "Ab1",
                  52,
                  "05=A",
                  "3E=z"},
        InferCase{"BlockBelowZeroLosesItsStart",
                  textValues("cd"),
                  width(8),
                  {0x01},
                  1 - 'c',
                  false,
                  "cd",
                  25,
                  "00=b",
                  "18=z"},
        InferCase{
            "BlockPastTopLosesItsEnd", textValues("ya"), width(8), {0xFF}, 0xFF - 'y', false, "ya", 25, "E7=a", "FF=y"},
        InferCase{
            "WidenedBlocksAndSpace", textValues("ya"), width(8), {0xFF}, 0xFF - 'y', true, "ya", 62, "A6= ", "FF=y"},
        InferCase{
            "SkippedEntriesLeftOut", textValues("H*l"), width(8), {0x10}, 0x10 - 'H', false, "H*l", 52, "09=A", "42=z"},
        InferCase{"NumbersAsBracketedValues",
                  {1, 2, kSkip, 7},
                  width(8),
                  {0x10},
                  15,
                  false,
                  "1 2 * 7",
                  3,
                  "10=[1]",
                  "16=[7]"},
        InferCase{"ExtremeNumbers",
                  {-32768, -32767},
                  width(8),
                  {0x00},
                  32768,
                  false,
                  "-32768 -32767",
                  2,
                  "00=[-32768]",
                  "01=[-32767]"},
        InferCase{"SixteenBitBigEndian",
                  textValues("AB"),
                  width(16, ByteOrder::Big),
                  {0x82, 0x60},
                  0x8260 - 'A',
                  false,
                  "AB",
                  26,
                  "8260=A",
                  "8279=Z"},
        InferCase{"SixteenBitLittleEndian",
                  textValues("AB"),
                  width(16),
                  {0x60, 0x82},
                  0x8260 - 'A',
                  false,
                  "AB",
                  26,
                  "6082=A",
                  "7982=Z"},
        InferCase{"BasicKanaRunOnly",
                  kanaValues("さくら"),
                  width(8),
                  {0x5A},
                  0x5A - 0x280A,
                  false,
                  "さくら",
                  46,
                  "50=あ",
                  "7D=ん"},
        InferCase{"VoicedKanaTakeTheWholeRun",
                  kanaValues("どらごん"),
                  width(8),
                  {0x4C},
                  0x4C - 0x283C,
                  false,
                  "どらごん",
                  80,
                  "10=あ",
                  "5F=ょ"},
        InferCase{"KatakanaRunEndsWithVu",
                  kanaValues("ヴァ"),
                  width(16, ByteOrder::Big),
                  {0x01, 0x50},
                  0x0150 - 0x28D0,
                  false,
                  "ヴァ",
                  81,
                  "0100=ア",
                  "0150=ヴ"},
        InferCase{"ThirtyTwoBitNeverWraps",
                  {-32768, -32767},
                  width(32),
                  {0xFF, 0xFF, 0xFF, 0xFF},
                  0xFFFFFFFFLL + 32768,
                  false,
                  "-32768 -32767",
                  1,
                  "FFFFFFFF=[-32768]",
                  "FFFFFFFF=[-32768]"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HitShift, NeedsTheUnitOfTheFirstCheckedEntry) {
    const SearchPattern pattern = patternOf({10, 20});
    EXPECT_FALSE(hitShift(pattern, std::vector<std::uint8_t>{0x01}, width(16)).has_value());
    EXPECT_FALSE(hitShift(SearchPattern{}, std::vector<std::uint8_t>{0x01}, width(8)).has_value());
    EXPECT_EQ(hitShift(pattern, std::vector<std::uint8_t>{0x01, 0x02, 0x03}, width(24, ByteOrder::Big)), 0x010203 - 10);
}

struct ShiftTextCase {
    const char* name;
    SearchPattern pattern;
    std::int64_t shift;
    std::string text;
};

class ShiftText : public ::testing::TestWithParam<ShiftTextCase> {};

TEST_P(ShiftText, SignedWithWhereAStands) {
    EXPECT_EQ(shiftText(GetParam().shift, GetParam().pattern), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftText,
    ::testing::Values(ShiftTextCase{"Positive", patternOf(textValues("AB")), 1, "+1"},
                      ShiftTextCase{"Zero", patternOf(textValues("AB")), 0, "0"},
                      ShiftTextCase{"Negative", patternOf({10, 20}), -3, "-3"},
                      ShiftTextCase{"Hiragana", patternOf(kanaValues("さくら")), 0x50 - 0x2800, "-10160 (あ=80)"},
                      ShiftTextCase{"KatakanaAtZero", patternOf(kanaValues("ポーション")), -0x2880, "-10368 (ア=0)"},
                      ShiftTextCase{"BothScripts", patternOf(kanaValues("かナ")), 0x10 - 0x2800,
                                    "-10224 (あ=16, ア=144)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableBlocks, FollowThePatternsOwnCharacters) {
    EXPECT_EQ(patternBlocks(patternOf(textValues("a 1"))), (TableBlocks{false, true, true, true}));
    EXPECT_EQ(patternBlocks(patternOf(textValues("Q"))), (TableBlocks{true, false, false, false}));
    EXPECT_EQ(patternBlocks(patternOf({200, 0xE9})), (TableBlocks{}));
    EXPECT_EQ(patternBlocks(patternOf({3, 65, 70})), (TableBlocks{}));  // numbers, though two are letters
    EXPECT_EQ(patternBlocks(patternOf(kanaValues("ほし1"))), (TableBlocks{false, false, true, false, true}));
}

TEST(InferredTable, WithAUserOrderTakesTheWholeOrderInsteadOfBlocks) {
    const UserOrder order = std::get<UserOrder>(UserOrder::read("いろはA"));
    const CharacterTable table =
        inferTable(patternOf({3, 1}), 0xFE - 3, TableBlocks{true, true, true, true, true}, width(8), &order);
    EXPECT_EQ(tableFileText(table), "FC=い\nFD=ろ\nFE=は\nFF=A\n");
}

TEST(TableBlocks, KanaRunsFollowThePatternsScriptsAndGroups) {
    using Runs = std::vector<CodeRun>;
    EXPECT_EQ(kanaRuns(patternOf(kanaValues("かな"))), (Runs{{0x2800, 0x282D}}));
    EXPECT_EQ(kanaRuns(patternOf(kanaValues("ぽか"))), (Runs{{0x2800, 0x284F}}));
    EXPECT_EQ(kanaRuns(patternOf(kanaValues("かナッ"))), (Runs{{0x2800, 0x282D}, {0x2880, 0x28D0}}));
    EXPECT_EQ(kanaRuns(patternOf(textValues("AB"))), (Runs{{0x2800, 0x282D}}));
}

}  // namespace
}  // namespace kinfold
