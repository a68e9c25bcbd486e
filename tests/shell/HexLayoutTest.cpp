#include "shell/preview/HexLayout.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kinfold {
namespace {

using Offset = std::optional<std::uint64_t>;
constexpr Offset kNone = std::nullopt;

TEST(HexLayout, RowsStartAtMultiplesOfSixteenAndHoldOnlyTheWindowsBytes) {
    const HexLayout layout(0x2005, 20, 0x10000, 1);  // 2005..2018
    EXPECT_EQ(layout.rows(), 2u);
    EXPECT_EQ(layout.rowOffset(0), 0x2000u);
    EXPECT_EQ(layout.rowOffset(1), 0x2010u);
    EXPECT_EQ(layout.byteAt(0, 4), kNone);
    EXPECT_EQ(layout.byteAt(0, 5), Offset(0x2005));
    EXPECT_EQ(layout.byteAt(1, 8), Offset(0x2018));
    EXPECT_EQ(layout.byteAt(1, 9), kNone);
    EXPECT_EQ(layout.byteAt(2, 0), kNone);
    EXPECT_EQ(layout.first(), Offset(0x2005));
    EXPECT_EQ(layout.last(), Offset(0x2018));
    EXPECT_EQ(layout.offsetDigits(), 8);
}

TEST(HexLayout, AnEmptyWindowHasNoRowsAndNoRange) {
    const HexLayout layout(0, 0, 0, 2);
    EXPECT_EQ(layout.rows(), 0u);
    EXPECT_EQ(layout.first(), kNone);
    EXPECT_EQ(layout.lastUnit(), kNone);
    EXPECT_EQ(layout.moved(0, 2), kNone);
}

TEST(HexLayout, OffsetDigitsGrowWithTheFilesLastOffset) {
    EXPECT_EQ(HexLayout(0, 16, 0x100000000, 1).offsetDigits(), 8);  // last offset FFFFFFFF
    EXPECT_EQ(HexLayout(0, 16, 0x100000001, 1).offsetDigits(), 9);  // last offset 100000000
}

struct UnitCase {
    const char* name;
    std::uint64_t start;
    std::size_t size;
    int unitBytes;
    std::size_t row;
    int cell;
    Offset unit;
};

class HexLayoutCells : public testing::TestWithParam<UnitCase> {};

TEST_P(HexLayoutCells, AUnitsCellIsTheColumnOfItsFirstByte) {
    const UnitCase& c = GetParam();
    EXPECT_EQ(HexLayout(c.start, c.size, 1 << 20, c.unitBytes).unitInCell(c.row, c.cell), c.unit);
}

INSTANTIATE_TEST_SUITE_P(Table, HexLayoutCells,
                         testing::Values(UnitCase{"Bytes", 0x10, 32, 1, 1, 15, 0x2F},
                                         UnitCase{"SixteenBitCellsPerRow", 0x10, 32, 2, 0, 7, 0x1E},
                                         UnitCase{"SixteenBitNoNinthCell", 0x10, 32, 2, 0, 8, kNone},
                                         UnitCase{"ThirtyTwoBitOddStart", 0x11, 32, 4, 0, 0,
                                                  0x11},  // 11..14 starts in column 1: cell 0
                                         UnitCase{"ThirtyTwoBitOddStartLastInRow", 0x11, 32, 4, 0, 3, 0x1D},
                                         UnitCase{"UnitRunningIntoNextRowStaysInItsRow", 0x11, 32, 4, 1, 0, 0x21},
                                         UnitCase{"PartOfAUnitAtTheEndHasNoCell", 0x10, 31, 2, 1, 7, kNone},
                                         UnitCase{"CellBeforeTheWindow", 0x18, 8, 1, 0, 3, kNone}),
                         [](const testing::TestParamInfo<UnitCase>& info) { return std::string(info.param.name); });

struct MoveCase {
    const char* name;
    std::uint64_t start;
    std::size_t size;
    int unitBytes;
    std::uint64_t from;
    std::int64_t move;
    Offset to;
};

class HexLayoutMoves : public testing::TestWithParam<MoveCase> {};

TEST_P(HexLayoutMoves, MovesStayOnWholeUnitsInsideTheWindow) {
    const MoveCase& c = GetParam();
    EXPECT_EQ(HexLayout(c.start, c.size, 1 << 20, c.unitBytes).moved(c.from, c.move), c.to);
}

INSTANTIATE_TEST_SUITE_P(Table, HexLayoutMoves,
                         testing::Values(MoveCase{"Right", 0, 64, 1, 5, 1, 6},
                                         MoveCase{"LeftOffTheStart", 0, 64, 1, 0, -1, kNone},
                                         MoveCase{"UpOffTheStartOfALaterWindow", 0x100, 64, 1, 0x108, -16, kNone},
                                         MoveCase{"DownToTheLastUnit", 0, 64, 2, 46, 16, 62},
                                         MoveCase{"DownPastTheLastWholeUnit", 0, 63, 2, 46, 16, kNone},
                                         MoveCase{"ThirtyTwoBitRight", 0x10, 64, 4, 0x10, 4, 0x14},
                                         MoveCase{"AtTheEndOfTheFile", 0, 1, 1, 0, 1, kNone}),
                         [](const testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

TEST(HexLayout, AByteBelongsToTheWholeUnitAroundIt) {
    const HexLayout layout(0x11, 10, 1 << 20, 4);  // units 11, 15; 19..1A is part of one
    EXPECT_EQ(layout.unitOf(0x13), Offset(0x11));
    EXPECT_EQ(layout.unitOf(0x18), Offset(0x15));
    EXPECT_EQ(layout.unitOf(0x19), kNone);
    EXPECT_EQ(layout.unitOf(0x10), kNone);
    EXPECT_EQ(layout.lastUnit(), Offset(0x15));
}

}  // namespace
}  // namespace kinfold
