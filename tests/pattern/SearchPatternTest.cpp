#include "pattern/SearchPattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinfold {
namespace {

// A step of the script below: a value to add, or a skipped entry.
struct Op {
    enum Kind { Value, Skip, Delete } kind;
    int value = 0;
};
Op V(int v) { return {Op::Value, v}; }
Op S() { return {Op::Skip, 0}; }
Op D() { return {Op::Delete, 0}; }

std::vector<std::string> lines(const SearchPattern& p) {
    std::vector<std::string> out;
    for (int i = 1; i <= p.count(); ++i) out.push_back(p.lineText(i));
    return out;
}

void run(SearchPattern& p, const std::vector<Op>& ops) {
    for (const Op& op : ops) {
        switch (op.kind) {
        case Op::Value:
            ASSERT_EQ(p.appendValue(static_cast<std::int16_t>(op.value)), SearchPattern::AppendResult::Added)
                << "value " << op.value;
            break;
        case Op::Skip: ASSERT_TRUE(p.appendSkipped()); break;
        case Op::Delete: ASSERT_TRUE(p.removeLast()); break;
        }
    }
}

struct LinesCase {
    const char* name;
    std::vector<Op> ops;
    std::vector<std::string> expected;
};

class PatternLines : public ::testing::TestWithParam<LinesCase> {};

TEST_P(PatternLines, ShowsTheExpectedLines) {
    SearchPattern p;
    run(p, GetParam().ops);
    EXPECT_EQ(lines(p), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PatternLines,
    ::testing::Values(
        LinesCase{"RiseFallEqualSkip",
                  {V(65), V(70), V(60), V(60), S(), V(58)},
                  {"65", "70 (+5)", "60 (-10)", "60 (0)", "Skipped Value", "58 (-2)"}},
        LinesCase{"StepAfterSkipIsFromLastValue", {V(10), S(), V(15)}, {"10", "Skipped Value", "15 (+5)"}},
        LinesCase{"TwoSkipsThenDown", {V(10), S(), S(), V(7)}, {"10", "Skipped Value", "Skipped Value", "7 (-3)"}},
        LinesCase{"NegativeToPositive", {V(-5), V(5)}, {"-5", "5 (+10)"}},
        LinesCase{"HexFFFFShowsMinusOne", {V(255), V(-1)}, {"255", "-1 (-256)"}},
        LinesCase{"ExtremesThatFit", {V(-32768), V(-1), V(32766)}, {"-32768", "-1 (+32767)", "32766 (+32767)"}},
        LinesCase{"DeleteThenEqualValue", {V(10), V(20), D(), V(10)}, {"10", "10 (0)"}},
        LinesCase{"SkipWhereAnUpEntryStood", {V(10), V(20), D(), S()}, {"10", "Skipped Value"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SearchPattern, NewPatternIsEmpty) {
    SearchPattern p;
    EXPECT_EQ(p.count(), 0);
    EXPECT_TRUE(p.empty());
    EXPECT_FALSE(p.removeLast());
    EXPECT_FALSE(p.appendSkipped());
    EXPECT_EQ(p.count(), 0);
}

TEST(SearchPattern, DirectionsAndStepsFollowThePredecessor) {
    SearchPattern p;
    run(p, {V(100), V(108), V(108), V(111), S(), V(90)});
    const std::vector<StoredEntry> expected = {{100, 0, 0}, {108, 8, 1}, {108, 0, 0},
                                               {111, 3, 1}, {111, 0, 0}, {90, 21, -1}};
    for (int i = 2; i <= p.count(); ++i) {
        EXPECT_EQ(p.stored(i), expected[static_cast<std::size_t>(i - 1)]) << "entry " << i;
    }
    EXPECT_EQ(p.value(1), 100);
    EXPECT_TRUE(p.isSkipped(5));
    EXPECT_FALSE(p.isSkipped(4));
}

TEST(SearchPattern, StepThatDoesNotFitIsRefusedAndNothingChanges) {
    SearchPattern p;
    ASSERT_EQ(p.appendValue(-32768), SearchPattern::AppendResult::Added);
    EXPECT_EQ(p.appendValue(32767), SearchPattern::AppendResult::StepTooLarge);
    EXPECT_EQ(p.count(), 1);
    // The same the other way round.
    SearchPattern q;
    ASSERT_EQ(q.appendValue(32767), SearchPattern::AppendResult::Added);
    EXPECT_EQ(q.appendValue(0), SearchPattern::AppendResult::Added);
    EXPECT_EQ(q.appendValue(-32767), SearchPattern::AppendResult::Added);
    EXPECT_EQ(q.lineText(3), "-32767 (-32767)");
    SearchPattern r;
    ASSERT_EQ(r.appendValue(32767), SearchPattern::AppendResult::Added);
    EXPECT_EQ(r.appendValue(-32768), SearchPattern::AppendResult::StepTooLarge);
    EXPECT_EQ(r.appendValue(-1), SearchPattern::AppendResult::StepTooLarge);
    EXPECT_EQ(r.appendValue(0), SearchPattern::AppendResult::Added);
}

TEST(SearchPattern, ThousandEntriesAndNoMore) {
    SearchPattern p;
    for (int i = 1; i <= 1000; ++i) {
        ASSERT_EQ(p.appendValue(static_cast<std::int16_t>(i % 200 + 1)), SearchPattern::AppendResult::Added);
    }
    EXPECT_TRUE(p.full());
    EXPECT_EQ(p.appendValue(5), SearchPattern::AppendResult::Full);
    EXPECT_FALSE(p.appendSkipped());
    EXPECT_EQ(p.count(), 1000);
    EXPECT_EQ(p.value(1000), 1000 % 200 + 1);
    ASSERT_TRUE(p.removeLast());
    EXPECT_TRUE(p.appendSkipped());
    EXPECT_EQ(p.count(), 1000);
    EXPECT_EQ(p.lineText(1000), "Skipped Value");
}

TEST(SearchPattern, ClearKeepsSlotsButEmptiesThePattern) {
    SearchPattern p;
    run(p, {V(10), V(20), V(5)});
    p.clear();
    EXPECT_EQ(p.count(), 0);
    EXPECT_TRUE(p.directions()[2] == 1 && p.differences()[2] == 10);  // slots keep their numbers
    run(p, {V(7), V(7)});
    EXPECT_EQ(p.stored(2), (StoredEntry{7, 0, 0}));  // a new entry writes all its slots
}

TEST(SearchPattern, AddDeleteAddGivesTheSamePattern) {
    SearchPattern once;
    run(once, {V(10)});
    SearchPattern twice;
    run(twice, {V(10), D(), V(10)});
    EXPECT_EQ(lines(once), lines(twice));
    EXPECT_EQ(once.stored(1), twice.stored(1));
}

TEST(SearchPattern, ReplaceLoadsStoredEntriesWithoutSkips) {
    SearchPattern p;
    run(p, {V(1), S(), S()});
    const std::vector<StoredEntry> loaded = {{10, 0, 0}, {10, 0, 0}, {14, 4, 1}, {9, 5, -1}, {12, 3, 7}, {-4, -2, 0}};
    p.replace(loaded);
    EXPECT_EQ(p.count(), 6);
    EXPECT_EQ(lines(p), (std::vector<std::string>{"10", "10 (0)", "14 (+4)", "9 (-5)", "12 (3)", "-4 (-2)"}));
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(p.stored(i), loaded[static_cast<std::size_t>(i - 1)]);
        EXPECT_FALSE(p.isSkipped(i));
    }
    p.replace({});
    EXPECT_EQ(p.count(), 0);
}

TEST(SearchPattern, EntryOneShowsOnlyItsValueWhateverItsSlotsHold) {
    EXPECT_EQ(entryLineText(1, {65, 9, 1}), "65");
    EXPECT_EQ(entryLineText(1, {-7, 0, 0}), "-7");
    EXPECT_EQ(entryLineText(2, {0, 0, 0}), "0 (0)");
    EXPECT_EQ(entryLineText(2, {32767, 32767, 1}), "32767 (+32767)");
    EXPECT_EQ(entryLineText(2, {-32768, 32767, -1}), "-32768 (-32767)");
}

TEST(SearchPattern, SavedFlagIsKeptAsSet) {
    SearchPattern p;
    p.setSaved(true);
    run(p, {V(3)});
    EXPECT_TRUE(p.saved());  // handlers decide when the pattern counts as changed
    p.setSaved(false);
    EXPECT_FALSE(p.saved());
}

}  // namespace
}  // namespace kinfold
