#include "table/TableDecoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinfold {
namespace {

struct DecodeCase {
    const char* name;
    int unitBytes;
    ByteOrder order;
    std::vector<std::uint8_t> bytes;
    std::string text;
};

class TableDecodingTest : public ::testing::TestWithParam<DecodeCase> {};

// 0x41 "A", 0x42 "th" (two characters), 0x43 "é", and the same texts at the
// 16-bit units 0x4100, 0x4200 and 0x4300.
CharacterTable sampleTable(int unitBytes, ByteOrder order) {
    CharacterTable table(unitBytes, order);
    const std::uint32_t scale = unitBytes == 1 ? 1 : 0x100;
    table.set(0x41 * scale, "A");
    table.set(0x42 * scale, "th");
    table.set(0x43 * scale, "\u00E9");
    return table;
}

TEST_P(TableDecodingTest, RunningText) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(decodeText(sampleTable(c.unitBytes, c.order), c.bytes), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableDecodingTest,
    ::testing::Values(DecodeCase{"Bytes", 1, ByteOrder::Little, {0x41, 0x42, 0x00, 0x43}, "Ath\u00B7\u00E9"},
                      DecodeCase{"Empty", 1, ByteOrder::Little, {}, ""},
                      DecodeCase{"BigEndianUnits", 2, ByteOrder::Big, {0x41, 0x00, 0x43, 0x00, 0x00, 0x41},
                                 "A\u00E9\u00B7"},
                      DecodeCase{"LittleEndianUnits", 2, ByteOrder::Little, {0x00, 0x42, 0x41, 0x00}, "th\u00B7"},
                      DecodeCase{"ShortLastUnit", 2, ByteOrder::Big, {0x41, 0x00, 0x41}, "A\u00B7"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableDecoding, CellsAreOneCharacterWide) {
    const CharacterTable table = sampleTable(1, ByteOrder::Little);
    EXPECT_EQ(decodeCell(table, 0x41), "A");
    EXPECT_EQ(decodeCell(table, 0x43), "\u00E9");
    EXPECT_EQ(decodeCell(table, 0x42), kUndecodedUnit);
    EXPECT_EQ(decodeCell(table, 0x44), kUndecodedUnit);
}

}  // namespace
}  // namespace kinfold
