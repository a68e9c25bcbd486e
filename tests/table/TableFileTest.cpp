#include "table/TableFile.h"

#include "search/ScanError.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace kinfold {
namespace {

using testing_support::TempFolder;

struct GoldenCase {
    const char* name;
    CharacterTable table;
    std::string bytes;
};

CharacterTable tableOf(int unitBytes, ByteOrder order, std::initializer_list<std::pair<std::uint32_t, std::string>> entries) {
    CharacterTable table(unitBytes, order);
    for (const auto& [unit, text] : entries) table.set(unit, text);
    return table;
}

class TableFileGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(TableFileGolden, WritesTheBytesAndReadsThemBack) {
    const GoldenCase& c = GetParam();
    EXPECT_EQ(tableFileText(c.table), c.bytes);
    const TableFileRead back = parseTableFile(c.bytes, c.table.unitBytes(), c.table.byteOrder());
    ASSERT_TRUE(back.table.has_value()) << back.line << ": " << back.reason;
    EXPECT_EQ(*back.table, c.table);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableFileGolden,
    ::testing::Values(
        GoldenCase{"Bytes",
                   tableOf(1, ByteOrder::Little, {{0x80, "\u20AC"}, {0x41, "A"}, {0x0A, "\u00E9"}, {0x20, " "}, {0x05, "[1]"}}),
                   "05=[1]\n0A=\u00E9\n20= \n41=A\n80=\u20AC\n"},
        GoldenCase{"SixteenBitLittleEndianInByteOrder", tableOf(2, ByteOrder::Little, {{0x0102, "x"}, {0x0201, "y"}}),
                   "0102=y\n0201=x\n"},
        GoldenCase{"TwentyFourBitBigEndian", tableOf(3, ByteOrder::Big, {{0x123456, "\u3042"}}), "123456=\u3042\n"},
        GoldenCase{"ThirtyTwoBitLittleEndian", tableOf(4, ByteOrder::Little, {{0xA1B2C3D4, "z"}}), "D4C3B2A1=z\n"},
        GoldenCase{"Empty", tableOf(1, ByteOrder::Little, {}), ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ParseCase {
    const char* name;
    std::string text;
    int line;  // 0: reads, giving `entries` entries
    std::size_t entries;
};

class TableFileParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TableFileParse, ReportsTheFirstBadLine) {
    const ParseCase& c = GetParam();
    const TableFileRead read = parseTableFile(c.text, 1, ByteOrder::Little);
    EXPECT_EQ(read.line, c.line) << read.reason;
    EXPECT_EQ(read.table.has_value(), c.line == 0);
    EXPECT_EQ(read.reason.empty(), c.line == 0);
    if (read.table) {
        EXPECT_EQ(read.table->size(), c.entries);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableFileParse,
    ::testing::Values(ParseCase{"WindowsLinesAndMark", "\xEF\xBB\xBF" "41=A\r\n\r\n4a=J\r\n", 0, 2},
                      ParseCase{"NoFinalLineEnd", "41=A\n42==", 0, 2},
                      ParseCase{"LaterLineWins", "41=A\n41=B\n", 0, 1},
                      ParseCase{"NoEquals", "41=A\n42\n", 2, 0},
                      ParseCase{"NotHex", "41=A\n\n4G=B\n", 3, 0},
                      ParseCase{"TwoUnits", "4142=AB\n", 1, 0},
                      ParseCase{"OneDigit", "4=A\n", 1, 0},
                      ParseCase{"Signed", "-1=A\n", 1, 0},
                      ParseCase{"NoText", "41=A\n42=\n", 2, 0},
                      ParseCase{"NotUtf8", "41=\xFF\n", 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableFileParse, QuotesABinaryKeyShortAndReadable) {
    const TableFileRead read = parseTableFile(std::string("\x01\xFF", 2) + std::string(60, 'A') + "=x\n", 1,
                                              ByteOrder::Little);
    EXPECT_EQ(read.reason, "\"\\x01\\xFF" + std::string(38, 'A') + "...\" is not 2 hex digits");
}

TEST(TableFileRead, FromDiskAndMissing) {
    TempFolder folder;
    const std::string text = "41=A\n\xE3\x81\x82";  // the second line lacks its "="
    const auto path = folder.write("game.tbl", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    const TableFileRead bad = readTableFile(path, 1, ByteOrder::Little);
    EXPECT_EQ(bad.line, 2);
    EXPECT_FALSE(bad.table.has_value());
    const TableFileRead missing = readTableFile(folder.path() / "none.tbl", 1, ByteOrder::Little);
    EXPECT_EQ(missing.line, 0);
    EXPECT_EQ(missing.reason, kNoSuchFileReason);
}

}  // namespace
}  // namespace kinfold
