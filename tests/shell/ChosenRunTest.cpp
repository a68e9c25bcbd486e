#include "shell/preview/ChosenRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinfold {
namespace {

struct RunCase {
    const char* name;
    int unitBytes;
    std::uint64_t chosen;
    std::vector<std::int64_t> stretches;  // Shift with the arrows, one after the other
    std::uint64_t first;
    std::size_t size;
};

class ChosenRuns : public testing::TestWithParam<RunCase> {};

TEST_P(ChosenRuns, StretchFromTheAnchorAndHoldOneEntryAtMost) {
    const RunCase& c = GetParam();
    const HexLayout layout(0x100, 64, 1 << 20, c.unitBytes);  // 100..13F
    ChosenRun run(c.unitBytes);
    run.choose(c.chosen);
    for (const std::int64_t by : c.stretches) run.stretch(layout, by);
    EXPECT_EQ(run.first(), c.first);
    EXPECT_EQ(run.size(), c.size);
}

INSTANTIATE_TEST_SUITE_P(Table, ChosenRuns,
                         testing::Values(RunCase{"TwoRight", 1, 0x105, {1, 1}, 0x105, 3},
                                         RunCase{
                                             "NineRightStopAtEight", 1, 0x105, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 0x105, 8},
                                         RunCase{"DownStopsAtEight", 1, 0x105, {16}, 0x105, 8},
                                         RunCase{"UpStopsAtEight", 1, 0x115, {-16}, 0x10E, 8},
                                         RunCase{"BackOverTheAnchor", 1, 0x105, {1, 1, -1, -1, -1}, 0x104, 2},
                                         RunCase{"UpOffTheWindowChangesNothing", 1, 0x102, {-16}, 0x102, 1},
                                         RunCase{"DownOffTheWindowChangesNothing", 1, 0x13A, {1, 16}, 0x13A, 2},
                                         RunCase{"SixteenBitFourUnits", 2, 0x104, {2, 2, 2, 2, 2}, 0x104, 8},
                                         RunCase{"ThirtyTwoBitTwoUnits", 4, 0x108, {4, 4}, 0x108, 8},
                                         RunCase{"ThirtyTwoBitLeftStopsAtTwo", 4, 0x108, {-4, -4}, 0x104, 8}),
                         [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(ChosenRun, AfterAnEntryTheUnitThatFollowsIsChosenUntilTheWindowEnds) {
    const HexLayout layout(0x100, 16, 1 << 20, 2);  // units 100..10E
    ChosenRun run(2);
    EXPECT_FALSE(run.advance(layout));
    run.choose(0x108);
    run.stretchTo(0x10A);
    EXPECT_TRUE(run.advance(layout));
    EXPECT_EQ(run.first(), 0x10Cu);
    EXPECT_TRUE(run.single());
    EXPECT_TRUE(run.advance(layout));
    EXPECT_EQ(run.first(), 0x10Eu);
    EXPECT_FALSE(run.advance(layout));  // the last unit stays chosen
    EXPECT_EQ(run.first(), 0x10Eu);
    EXPECT_FALSE(run.move(layout, -16));  // off the window's start
    EXPECT_TRUE(run.move(layout, -4));
    EXPECT_EQ(run.first(), 0x10Au);
}

}  // namespace
}  // namespace kinfold
