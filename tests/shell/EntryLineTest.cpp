#include "shell/preview/EntryLine.h"
#include "shell/preview/PlacedEntries.h"

#include "table/TableDecoding.h"

#include <gtest/gtest.h>

#include <string>

namespace kinfold {
namespace {

struct LineCase {
    const char* name;
    EntryBytes bytes;
    std::optional<TableEntry> entry;
    const char* line;
};

class EntryLines : public testing::TestWithParam<LineCase> {};

TEST_P(EntryLines, NameTheBytesAndWhatTheyStandFor) {
    const LineCase& c = GetParam();
    EXPECT_EQ(entryLine(c.bytes, c.entry ? &*c.entry : nullptr), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryLines,
    testing::Values(LineCase{"MultiByteWhole", {0x81, 0x82}, TableEntry{EntryKind::Normal, "the", 0}, "81 82 = the"},
                    LineCase{"SpaceByName", {0x00}, TableEntry{EntryKind::Normal, " ", 0}, "00 = space"},
                    LineCase{"BlankAtAnEndQuoted", {0x20}, TableEntry{EntryKind::Normal, "the ", 0}, "20 = \"the \""},
                    LineCase{"EndToken", {0xFF}, TableEntry{EntryKind::End, "", 0}, "FF = end token"},
                    LineCase{"EndTokenWithText", {0x4F}, TableEntry{EntryKind::End, "!", 0}, "4F = ! (end token)"},
                    LineCase{"LineBreak", {0xFE}, TableEntry{EntryKind::LineBreak, "", 0}, "FE = line break"},
                    LineCase{"Control",
                             {0xF0},
                             TableEntry{EntryKind::Control, "<color>", 1},
                             "F0 = <color> (control, 1 parameter byte)"},
                    LineCase{"NoEntry", {0xEE}, std::nullopt, "EE, no entry"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

CodeTable gameTable() {
    CodeTable table;
    table.set({0x81, 0x82}, TableEntry{EntryKind::Normal, "the", 0});
    table.set({0x41}, TableEntry{EntryKind::Normal, "A", 0});
    table.set({0xF0}, TableEntry{EntryKind::Control, "<c>", 1});
    table.set({0xFF}, TableEntry{EntryKind::End, "", 0});
    table.set({0x4F}, TableEntry{EntryKind::End, "!", 0});
    return table;
}

TEST(PlacedEntries, AControlsParameterIsCoveredByTheControl) {
    const CodeTable table = gameTable();
    const TableDecoder decoder(table);
    const std::vector<PlacedEntry> placed = placedEntries(decoder, std::vector<std::uint8_t>{0xEE, 0xF0, 0x01}, 1);
    EXPECT_EQ(entryCovering(placed, 0), nullptr);
    ASSERT_NE(entryCovering(placed, 2), nullptr);
    EXPECT_EQ(entryCovering(placed, 2)->at, 1u);
    EXPECT_EQ(entryCovering(placed, 3), nullptr);  // past the end
}

TEST(PlacedEntries, AnEndTokenWithNoTextHasAMarkOfItsOwnInTheColumns) {
    const CodeTable table = gameTable();
    const TableDecoder decoder(table);
    const std::vector<std::uint8_t> bytes{0x41, 0xFF, 0xEE, 0x4F, 0x41, 0xFF};
    std::vector<std::string> cells = decodeColumns(decoder, bytes, 1);
    markEndTokens(cells, placedEntries(decoder, bytes, 1), 1);
    EXPECT_EQ(cells, (std::vector<std::string>{"A", "\u220E", "\u00B7", "!", "A", "\u220E"}));
    // Sixteen-bit columns: an end token of one byte at an odd offset starts no column.
    std::vector<std::string> pairs = decodeColumns(decoder, bytes, 2);
    markEndTokens(pairs, placedEntries(decoder, bytes, 2), 2);
    EXPECT_EQ(pairs, (std::vector<std::string>{"A", "\u00B7", "A"}));
}

}  // namespace
}  // namespace kinfold
