#include "shell/preview/ChangedBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinfold {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PutCase {
    const char* name;
    std::uint64_t offset;
    Bytes bytes;
    Bytes shown;  // the window of 8 bytes from 100 (all EE in the file) afterwards
};

class PuttingNewBytes : public ::testing::TestWithParam<PutCase> {};

TEST_P(PuttingNewBytes, ReplacesOnlyWhatTheWindowHolds) {
    const PutCase& c = GetParam();
    FileWindow window{100, Bytes(8, 0xEE), 200};
    ChangedBytes(c.offset, c.bytes).putInto(window);
    EXPECT_EQ(window.bytes, c.shown);
    EXPECT_EQ(window.start, 100u);
}

constexpr std::uint8_t E = 0xEE;

INSTANTIATE_TEST_SUITE_P(
    Cases, PuttingNewBytes,
    ::testing::Values(PutCase{"Inside", 102, {1, 2, 3}, {E, E, 1, 2, 3, E, E, E}},
                      PutCase{"AcrossTheStart", 98, {1, 2, 3, 4}, {3, 4, E, E, E, E, E, E}},
                      PutCase{"AcrossTheEnd", 106, {1, 2, 3, 4}, {E, E, E, E, E, E, 1, 2}},
                      PutCase{"OverTheWholeWindow", 99, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {2, 3, 4, 5, 6, 7, 8, 9}},
                      PutCase{"EndingWhereTheWindowStarts", 97, {1, 2, 3}, {E, E, E, E, E, E, E, E}},
                      PutCase{"StartingWhereTheWindowEnds", 108, {1, 2}, {E, E, E, E, E, E, E, E}},
                      PutCase{"None", 103, {}, {E, E, E, E, E, E, E, E}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChangedBytes, EndsWhereTheFileDoes) {
    EXPECT_EQ(ChangedBytes(10, Bytes(5)).endIn(100), 15u);
    EXPECT_EQ(ChangedBytes(97, Bytes(5)).endIn(100), 100u);
    EXPECT_EQ(ChangedBytes(100, Bytes(5)).endIn(100), 100u);
}

TEST(ChangedBytes, CaptionCountsTheNewBytes) {
    EXPECT_EQ(ChangedBytes(0, Bytes(12)).caption(), "changed: 12 bytes");
    EXPECT_EQ(ChangedBytes(0, Bytes(1)).caption(), "changed: 1 byte");
    EXPECT_EQ(ChangedBytes(0, Bytes()).caption(), "changed: 0 bytes");
}

}  // namespace
}  // namespace kinfold
