#include "SearchTestSupport.h"
#include "search/CompiledPattern.h"
#include "search/Matcher.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <vector>

namespace kinfold {
namespace {

using testing_support::RawPattern;
using testing_support::rawPattern;
using testing_support::referenceScan;
using testing_support::typedPattern;

// A candidate's bytes; kAny marks a byte that is tried with every value 0..255.
// In typed values the same -1 stands for a skipped entry.
constexpr int kAny = -1;

struct MatchCase {
    const char* name;
    RawPattern pattern;
    std::vector<int> bytes;
    bool matches;
};

void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::vector<std::uint8_t>> expand(const std::vector<int>& bytes) {
    std::vector<std::vector<std::uint8_t>> out(1);
    for (int b : bytes) {
        std::vector<std::vector<std::uint8_t>> next;
        for (const auto& prefix : out) {
            const int from = b == kAny ? 0 : b;
            const int to = b == kAny ? 255 : b;
            for (int v = from; v <= to; ++v) {
                next.push_back(prefix);
                next.back().push_back(static_cast<std::uint8_t>(v));
            }
        }
        out = std::move(next);
    }
    return out;
}

RawPattern fromTyped(std::initializer_list<int> values) {
    const SearchPattern typed = typedPattern(values);
    RawPattern p;
    p.count = typed.count();
    p.directions = typed.directions();
    p.differences = typed.differences();
    return p;
}

class CandidateCheck : public ::testing::TestWithParam<MatchCase> {};

TEST_P(CandidateCheck, AgreesWithTheRule) {
    const MatchCase& c = GetParam();
    const CompiledPattern compiled = c.pattern.compile();
    ASSERT_TRUE(compiled.valid());
    ASSERT_EQ(compiled.length(), c.bytes.size());
    for (const auto& candidate : expand(c.bytes)) {
        SCOPED_TRACE(::testing::PrintToString(candidate));
        EXPECT_EQ(compiled.matchesAt(candidate), c.matches);
        // The reference sees the candidate as a whole file: it matches at 0 or not at all.
        const auto reference = referenceScan(c.pattern, candidate);
        EXPECT_EQ(reference.matches, c.matches ? std::vector<std::uint64_t>{0} : std::vector<std::uint64_t>{});
        for (Isa isa : availableIsas()) {
            std::vector<std::uint64_t> found;
            findMatches(compiled, candidate, 0, found, isa);
            EXPECT_EQ(found, reference.matches) << isaName(isa);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CandidateCheck,
    ::testing::Values(
        MatchCase{"RiseByTwoFromA", fromTyped({65, 67, 69}), {0x41, 0x43, 0x45}, true},
        MatchCase{"RiseByTwoFromB", fromTyped({65, 67, 69}), {0x42, 0x44, 0x46}, true},
        MatchCase{"RiseByTwoFromZero", fromTyped({65, 67, 69}), {0x00, 0x02, 0x04}, true},
        MatchCase{"RiseByTwoLastOff", fromTyped({65, 67, 69}), {0x41, 0x43, 0x46}, false},
        MatchCase{"RiseByTwoMiddleOff", fromTyped({65, 67, 69}), {0x41, 0x44, 0x45}, false},
        MatchCase{"RiseByTwoNoWrapAtTop", fromTyped({65, 67, 69}), {0xFD, 0xFF, 0x01}, false},
        MatchCase{"RiseByTwoNoWrapFromTop", fromTyped({65, 67, 69}), {0xFE, 0x00, 0x02}, false},
        MatchCase{"FallByTwo", fromTyped({10, 8}), {0x07, 0x05}, true},
        MatchCase{"FallByTwoNotRise", fromTyped({10, 8}), {0x05, 0x07}, false},
        MatchCase{"FallByTwoNoWrapAtBottom", fromTyped({10, 8}), {0x01, 0xFF}, false},
        MatchCase{"FallByTwoToZero", fromTyped({10, 8}), {0x02, 0x00}, true},
        MatchCase{"SkippedMiddleAnyByte", fromTyped({10, kAny, 14}), {0x01, kAny, 0x05}, true},
        MatchCase{"SkippedMiddleLastOff", fromTyped({10, kAny, 14}), {0x01, 0x05, 0x06}, false},
        MatchCase{"EqualNeighboursAreNotChecked", fromTyped({100, 108, 108, 111}), {0x10, 0x18, kAny, 0x1B}, true},
        MatchCase{"EqualNeighboursLastOff", fromTyped({100, 108, 108, 111}), {0x10, 0x18, 0x18, 0x1C}, false},
        MatchCase{"AllSkippedMatchesAnything", fromTyped({5, kAny, kAny}), {kAny, kAny, 0x00}, true},
        MatchCase{"TopByteThenLargestStep", rawPattern({{1, 32767}}), {0xFF, kAny}, false},
        MatchCase{"TopByteThenOne", rawPattern({{1, 1}}), {0xFF, kAny}, false},
        MatchCase{"ZeroThenMinusOne", rawPattern({{-1, 1}}), {0x00, kAny}, false},
        MatchCase{"UpWithStepZeroIsEqual", rawPattern({{1, 0}}), {0x07, 0x07}, true},
        MatchCase{"DownWithStepZeroIsEqual", rawPattern({{-1, 0}}), {0xFF, 0xFF}, true},
        MatchCase{"UpWithStepZeroNotNext", rawPattern({{1, 0}}), {0x07, 0x08}, false},
        MatchCase{"UpWithNegativeStepFalls", rawPattern({{1, -3}}), {0x10, 0x0D}, true},
        MatchCase{"DownWithNegativeStepRises", rawPattern({{-1, -3}}), {0x10, 0x13}, true},
        MatchCase{"DownWithSmallestStepNeverFits", rawPattern({{-1, -32768}}), {kAny, kAny}, false},
        MatchCase{"WholeByteRange", rawPattern({{1, 255}}), {0x00, 0xFF}, true},
        MatchCase{"WholeByteRangeDown", rawPattern({{-1, 255}}), {0xFF, 0x00}, true},
        MatchCase{"OtherDirectionsCheckNothing",
                  rawPattern({{7, 5}, {-3, 9}, {2, 1}, {1, 2}}),
                  {0x10, kAny, 0x33, 0x00, 0x12},
                  true},
        MatchCase{"OtherDirectionsKeepTheReference", rawPattern({{7, 5}, {1, 2}}), {0x10, 0x15, 0x17}, false},
        MatchCase{
            "ReferenceMovesWithEachCheck", rawPattern({{1, 1}, {-1, 2}, {1, 10}}), {0x05, 0x06, 0x04, 0x0E}, true},
        MatchCase{"StepsBeyondTheRangeThatComeBack", rawPattern({{1, 300}, {-1, 300}}), {kAny, kAny, 0x05}, false},
        MatchCase{
            "SkipKeepsTheCheckedReference", rawPattern({{1, 1}, {0, 99}, {1, 1}}), {0x05, 0x06, kAny, 0x07}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CompiledPattern, ChecksAreCumulativeDifferencesFromTheFirstByte) {
    const CompiledPattern p = rawPattern({{1, 8}, {0, 0}, {1, 3}, {-1, 20}, {5, 1}, {1, -2}}).compile();
    ASSERT_TRUE(p.valid());
    EXPECT_EQ(p.length(), 7u);
    const std::vector<PatternCheck> expected = {{1, 8}, {3, 11}, {4, -9}, {6, -11}};
    EXPECT_EQ(std::vector<PatternCheck>(p.checks().begin(), p.checks().end()), expected);
    EXPECT_EQ(p.lowestFirst(), 11);
    EXPECT_EQ(p.highestFirst(), 244);
    EXPECT_TRUE(p.canMatch());
}

TEST(CompiledPattern, OnlyCountDirectionsAndStepsAreRead) {
    // Slots 0, 1 and those above the count hold rubbish that must not matter.
    RawPattern p = rawPattern({{1, 2}, {-1, 1}});
    p.directions[0] = 1;
    p.differences[0] = 100;
    p.directions[1] = -1;
    p.differences[1] = 50;
    p.directions[4] = 1;
    p.differences[4] = 77;
    const CompiledPattern compiled = p.compile();
    EXPECT_EQ(compiled.length(), 3u);
    EXPECT_EQ(std::vector<PatternCheck>(compiled.checks().begin(), compiled.checks().end()),
              (std::vector<PatternCheck>{{1, 2}, {2, 1}}));
}

TEST(CompiledPattern, FromPatternMatchesCompile) {
    const SearchPattern typed = typedPattern({72, 101, 108, 108, 111});
    const CompiledPattern compiled = CompiledPattern::fromPattern(typed);
    EXPECT_EQ(compiled.length(), 5u);
    EXPECT_EQ(std::vector<PatternCheck>(compiled.checks().begin(), compiled.checks().end()),
              (std::vector<PatternCheck>{{1, 29}, {2, 36}, {4, 39}}));
    const std::vector<std::uint8_t> hello = {'H', 'e', 'l', 'l', 'o'};
    EXPECT_TRUE(compiled.matchesAt(hello));
}

TEST(CompiledPattern, StepsOutOfTheByteRangeCanNeverMatch) {
    EXPECT_FALSE(rawPattern({{1, 256}}).compile().canMatch());
    EXPECT_FALSE(rawPattern({{-1, 256}}).compile().canMatch());
    EXPECT_TRUE(rawPattern({{1, 255}}).compile().canMatch());
    // Each step fits but together they span more than a byte.
    EXPECT_FALSE(rawPattern({{1, 200}, {-1, 56}, {-1, 200}}).compile().canMatch());
    EXPECT_TRUE(rawPattern({{1, 200}, {-1, 55}, {-1, 200}}).compile().canMatch());
    // Up and back down again by more than a byte.
    EXPECT_FALSE(rawPattern({{1, 32767}, {-1, 32767}}).compile().canMatch());
}

struct InvalidCase {
    const char* name;
    int count;
    std::size_t slots;
};

void PrintTo(const InvalidCase& c, std::ostream* os) { *os << c.name; }

class InvalidPattern : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidPattern, MatchesNothing) {
    const InvalidCase& c = GetParam();
    const std::vector<std::int16_t> directions(c.slots, 1);
    const std::vector<std::int16_t> differences(c.slots, 0);
    const CompiledPattern p = CompiledPattern::compile(c.count, directions, differences);
    EXPECT_FALSE(p.valid());
    EXPECT_FALSE(p.canMatch());
    EXPECT_EQ(p.length(), 0u);
    const std::vector<std::uint8_t> bytes(2000, 0);
    EXPECT_FALSE(p.matchesAt(bytes));
    std::vector<std::uint64_t> found;
    findMatches(p, bytes, 0, found);
    EXPECT_TRUE(found.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, InvalidPattern,
                         ::testing::Values(InvalidCase{"NoEntries", 0, 1001}, InvalidCase{"OneEntry", 1, 1001},
                                           InvalidCase{"Negative", -5, 1001}, InvalidCase{"TooMany", 1001, 1002},
                                           InvalidCase{"DirectionsTooShort", 10, 10}, InvalidCase{"EmptyArrays", 2, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CompiledPattern, LimitsAreValid) {
    const std::vector<std::int16_t> slots(1001, 0);
    EXPECT_EQ(CompiledPattern::compile(2, std::span(slots).first(3), std::span(slots).first(3)).length(), 2u);
    EXPECT_EQ(CompiledPattern::compile(1000, slots, slots).length(), 1000u);
    EXPECT_FALSE(CompiledPattern::compile(2, std::span(slots).first(2), slots).valid());
}

TEST(CompiledPattern, ShortCandidateIsNoMatch) {
    const CompiledPattern p = fromTyped({1, -1, -1}).compile();
    const std::vector<std::uint8_t> two = {1, 2};
    const std::vector<std::uint8_t> three = {1, 2, 3};
    EXPECT_FALSE(p.matchesAt(two));
    EXPECT_TRUE(p.matchesAt(three));
    EXPECT_FALSE(p.matchesAt({}));
}

TEST(CompiledPattern, FilterPrefersStepsOverEquality) {
    const CompiledPattern p = rawPattern({{1, 0}, {1, 0}, {1, 3}, {-1, 1}, {1, 0}}).compile();
    ASSERT_EQ(p.filterChecks().size(), 2u);
    for (const PatternCheck& c : p.filterChecks()) {
        EXPECT_NE(c.expected, 0) << "distance " << c.distance;
    }
    const CompiledPattern single = rawPattern({{0, 5}, {1, 4}}).compile();
    ASSERT_EQ(single.filterChecks().size(), 1u);
    EXPECT_EQ(single.filterChecks()[0], (PatternCheck{2, 4}));
    EXPECT_TRUE(fromTyped({3, -1}).compile().filterChecks().empty());
}

struct PassesInsideCase {
    const char* name;
    RawPattern pattern;
    std::vector<std::uint8_t> inside;
    bool passes;
};

void PrintTo(const PassesInsideCase& c, std::ostream* os) { *os << c.name; }

class PassesInside : public ::testing::TestWithParam<PassesInsideCase> {};

TEST_P(PassesInside, ChecksOnlyTheBytesThere) {
    EXPECT_EQ(GetParam().pattern.compile().passesInside(GetParam().inside), GetParam().passes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PassesInside,
    ::testing::Values(
        PassesInsideCase{"Nothing", rawPattern({{1, 2}, {1, 2}}), {}, true},
        PassesInsideCase{"FirstByteOnly", rawPattern({{1, 2}, {1, 2}}), {0x41}, true},
        PassesInsideCase{"TwoBytesPass", rawPattern({{1, 2}, {1, 2}}), {0x41, 0x43}, true},
        PassesInsideCase{"TwoBytesFail", rawPattern({{1, 2}, {1, 2}}), {0x41, 0x44}, false},
        PassesInsideCase{"ImpossibleCheckLiesOutside", rawPattern({{1, 1}, {1, 500}}), {0x01, 0x02}, true},
        PassesInsideCase{"ImpossibleCheckInside", rawPattern({{1, 1}, {1, 500}}), {0x01, 0x02, 0x03}, false},
        PassesInsideCase{"SkippedBytesNeverFail", rawPattern({{0, 9}, {0, 9}, {1, 1}}), {0x01, 0x7F, 0x00}, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold
