#include "table/TableDecoding.h"

#include "table/TableFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinfold {
namespace {

TableDecoder decoderOf(std::string_view lines) {
    const TableFileRead read = parseTableFile(lines);
    EXPECT_TRUE(read.table.has_value()) << read.reason;
    return TableDecoder(read.table.value_or(CodeTable()));
}

// Single bytes, a two-byte and a three-byte entry sharing their start, an
// end token, a line break and a control with two parameters.
constexpr std::string_view kSample = "41=A\n42=th\n43=\u00E9\n4142=AB!\n414243=[abc]\n/FF=<end>\n*FE\n$F0=[c],2\n";

struct DecodeCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t step;
    std::string text;
};

class RunningText : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(RunningText, LongestMatchFirst) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(decodeText(decoderOf(kSample), c.bytes, c.step), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunningText,
    ::testing::Values(DecodeCase{"Bytes", {0x41, 0x00, 0x43, 0x42}, 1, "A\u00B7\u00E9th"},
                      DecodeCase{"Empty", {}, 1, ""},
                      DecodeCase{"LongestWins", {0x41, 0x42, 0x43, 0x41, 0x42, 0x41}, 1, "[abc]AB!A"},
                      DecodeCase{"LongerCutByTheEnd", {0x41, 0x42}, 1, "AB!"},
                      DecodeCase{"EndAndBreak", {0x41, 0xFF, 0xFE, 0x42}, 1, "A<end>\nth"},
                      DecodeCase{"ControlTakesItsParameters", {0xF0, 0x41, 0x0A, 0x41}, 1, "[c]<$41><$0A>A"},
                      DecodeCase{"ControlCutByTheEnd", {0x41, 0xF0, 0x41}, 1, "A\u00B7A"},
                      DecodeCase{"UnmatchedStepsByUnits", {0x00, 0x41, 0x41, 0x00}, 2, "\u00B7A\u00B7"},
                      DecodeCase{"ShortLastStep", {0x00, 0x00, 0x00}, 2, "\u00B7\u00B7"}),
    [](const auto& info) { return std::string(info.param.name); });

struct OneLineCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string text;
};

class OneLine : public ::testing::TestWithParam<OneLineCase> {};

TEST_P(OneLine, ReadsBackUnambiguously) {
    const TableDecoder decoder = decoderOf("5C=\\\n6E=n\n0A=\\n\n/FF\n/FE00\n/FD=<end>\n*FC\n$F0=[c\\],1\n");
    EXPECT_EQ(decodeOneLine(decoder, GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, OneLine,
                         ::testing::Values(OneLineCase{"BackslashThenN", {0x5C, 0x6E}, "\\\\n"},
                                           OneLineCase{"LineBreakText", {0x0A, 0x6E}, "\\nn"},
                                           OneLineCase{"BareLineBreak", {0xFC}, "\\n"},
                                           OneLineCase{"BareEndAsItsBytes", {0x6E, 0xFF, 0x6E}, "n<$FF>n"},
                                           OneLineCase{"TwoByteBareEnd", {0xFE, 0x00}, "<$FE><$00>"},
                                           OneLineCase{"EndWithText", {0xFD}, "<end>"},
                                           OneLineCase{"ControlLabelEscaped", {0xF0, 0x0A}, "[c\\\\]<$0A>"},
                                           OneLineCase{"EndCutShort", {0xFE}, "\u00B7"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TableDecoding, LinesBreakAfterEachEndToken) {
    const std::vector<std::uint8_t> bytes{0x41, 0xFF, 0x42, 0xFF, 0xFE, 0xFF};
    EXPECT_EQ(decodeLines(decoderOf(kSample), bytes), "A<end>\nth<end>\n\n<end>\n");
    EXPECT_EQ(decodeText(decoderOf(kSample), bytes), "A<end>th<end>\n<end>");
}

TEST(TableDecoding, ColumnsOneCharacterWide) {
    const TableDecoder table = decoderOf("4100=A\n4200=th\n43004300=\u00E9!\n/FF00\n");
    const std::vector<std::uint8_t> bytes{0x41, 0x00, 0x42, 0x00, 0x43, 0x00, 0x43, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x41};
    const std::vector<std::string> expected{"A", "\u00B7", "\u00E9", "!", "\u00B7", "\u00B7"};
    EXPECT_EQ(decodeColumns(table, bytes, 2), expected);
}

TEST(TableDecoding, LineBreaksShowAsOneColumn) {
    const TableDecoder table = decoderOf("*FE\n0A=a\\n\n");
    EXPECT_EQ(decodeColumns(table, std::vector<std::uint8_t>{0xFE, 0x0A}, 1),
              (std::vector<std::string>{"\u21B5", "\u00B7"}));
    const TableDecoder pairs = decoderOf("FE=x\\n\n0A0B=a\\n\n");
    EXPECT_EQ(decodeColumns(pairs, std::vector<std::uint8_t>{0xFE, 0x0A, 0x0B}, 1),
              (std::vector<std::string>{"\u00B7", "a", "\u21B5"}));
}

}  // namespace
}  // namespace kinfold
