// Values of 16, 24 and 32 bits, aligned candidates and exact repeats: the
// fast match and the file scan against the plain reference, and a few
// planted words whose offsets are known.

#include "SearchTestSupport.h"
#include "search/FileScanner.h"
#include "search/Matcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace kinfold {
namespace {

using testing_support::expectFastMatchAgrees;
using testing_support::referenceScan;
using testing_support::TempFolder;
using testing_support::testScale;
using testing_support::typedPattern;

constexpr MatchOptions options(int width, ByteOrder order, bool aligned = false, bool exactRepeats = false) {
    MatchOptions o;
    o.width = width;
    o.byteOrder = order;
    o.aligned = aligned;
    o.exactRepeats = exactRepeats;
    return o;
}

constexpr auto kLittle = ByteOrder::Little;
constexpr auto kBig = ByteOrder::Big;

// Values as units of the options' width and byte order.
std::vector<std::uint8_t> encode(const std::vector<std::int64_t>& values, const MatchOptions& o) {
    std::vector<std::uint8_t> out;
    const int unit = o.unitBytes();
    for (std::int64_t v : values) {
        for (int k = 0; k < unit; ++k) {
            const int shift = 8 * (o.byteOrder == kLittle ? k : unit - 1 - k);
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> shift));
        }
    }
    return out;
}

// A typed pattern (steps of any size and sign, equal neighbours, skips) and
// the values it was typed from, moved up so that they fit the width.
struct Generated {
    SearchPattern pattern;
    std::vector<std::int64_t> run;
};

Generated generate(std::mt19937_64& random, const MatchOptions& o) {
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const int low = o.width == 8 ? 0 : -32768;
    const int high = o.width == 8 ? 255 : 32767;
    const int n = between(0, 9) == 0 ? between(9, 200) : between(2, 8);
    Generated g;
    int value = between(low, high);
    while (g.pattern.count() < n) {
        const int roll = between(0, 9);
        if (roll == 0 && g.pattern.count() > 0) {
            g.pattern.appendSkipped();
            continue;
        }
        if (roll == 1) {
            value = between(low, high);
        } else if (roll == 2) {
            value = std::clamp(value + (between(0, 1) == 0 ? 32767 : -32767), low, high);
        } else if (roll > 3) {  // 3 repeats the value
            value = std::clamp(value + between(-3, 3), low, high);
        }
        if (g.pattern.appendValue(static_cast<std::int16_t>(value)) != SearchPattern::AppendResult::Added) {
            value = g.pattern.value(g.pattern.count());
        }
    }
    std::int64_t lowest = 0;
    for (int i = 1; i <= n; ++i) {
        lowest = std::min<std::int64_t>(lowest, g.pattern.value(i));
    }
    const std::int64_t top = (std::int64_t{1} << o.width) - 1;
    for (int i = 1; i <= n; ++i) {
        // Skipped entries are planted as anything at all.
        g.run.push_back(g.pattern.isSkipped(i) ? std::uniform_int_distribution<std::int64_t>(0, top)(random)
                                               : g.pattern.value(i) - lowest);
    }
    return g;
}

// Random bytes with copies of the run planted at odd and even offsets, some
// one unit off, and one cut short by the end of the file.
std::vector<std::uint8_t> makeBytes(std::mt19937_64& random, const Generated& g, const MatchOptions& o) {
    auto roll = [&](std::size_t high) { return std::uniform_int_distribution<std::size_t>(0, high - 1)(random); };
    const std::vector<std::uint8_t> run = encode(g.run, o);
    std::size_t size = roll(4) == 0 ? roll(3 * run.size() + 8) : roll(3000) + 1;
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(roll(4) == 0 ? 0 : roll(256));
    }
    const std::size_t plants = roll(5);
    for (std::size_t p = 0; p < plants && !bytes.empty(); ++p) {
        const std::size_t at = roll(bytes.size());
        std::copy_n(run.begin(), std::min(run.size(), bytes.size() - at), bytes.begin() + static_cast<long>(at));
        const std::size_t touched = at + roll(run.size());
        if (roll(3) == 0 && touched < bytes.size()) {
            bytes[touched] = static_cast<std::uint8_t>(bytes[touched] + 1);
        }
    }
    if (roll(3) == 0 && !bytes.empty()) {
        const std::size_t keep = std::min(bytes.size(), roll(run.size()) + 1);
        std::copy_n(run.begin(), keep, bytes.end() - static_cast<long>(keep));
    }
    return bytes;
}

struct WideCase {
    const char* name;
    MatchOptions options;
    std::uint64_t seed;
};

void PrintTo(const WideCase& c, std::ostream* os) { *os << c.name; }

class WideDifferential : public ::testing::TestWithParam<WideCase> {};

TEST_P(WideDifferential, FastMatchAndFileScanAgreeWithTheReference) {
    const MatchOptions& o = GetParam().options;
    std::mt19937_64 random(GetParam().seed);
    TempFolder folder;
    const int cases = 400 * testScale();
    std::size_t matchesSeen = 0;
    for (int i = 0; i < cases; ++i) {
        const Generated g = generate(random, o);
        const std::vector<std::uint8_t> bytes = makeBytes(random, g, o);
        const auto reference = referenceScan(g.pattern, bytes, o);
        const CompiledPattern compiled = CompiledPattern::fromPattern(g.pattern, o);
        ASSERT_EQ(compiled.length(), g.run.size() * static_cast<std::size_t>(o.unitBytes()));
        SCOPED_TRACE("case " + std::to_string(i) + ", entries " + std::to_string(g.run.size()) + ", bytes " +
                     std::to_string(bytes.size()));
        matchesSeen += reference.matches.size();

        // A slice from an odd start whose offsets keep the alignment of every width.
        ASSERT_NO_FATAL_FAILURE(expectFastMatchAgrees(compiled, bytes, reference.matches, random, 12 * 0x1745'9A3Bull));

        if (i % 4 == 0) {
            const auto path = folder.write("rom.bin", bytes);
            static constexpr std::size_t kBlocks[] = {1, 2, 3, 5, 7, 64, 4096};
            const std::size_t block = kBlocks[random() % std::size(kBlocks)];
            SCOPED_TRACE("block " + std::to_string(block));
            FileScanner scanner(compiled, block);
            ASSERT_TRUE(scanner.open(path));
            std::vector<std::uint64_t> found;
            while (!scanner.finished()) {
                scanner.scanUntil(scanner.position() + random() % 40 + 1, found);
            }
            ASSERT_FALSE(scanner.error().has_value()) << scanner.error()->message();
            ASSERT_EQ(found, reference.matches);
            ASSERT_EQ(scanner.position(), reference.lastPosition);
        }
    }
    // The planted runs must keep the matching path busy.
    EXPECT_GT(matchesSeen, static_cast<std::size_t>(cases) / 4);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WideDifferential,
    ::testing::Values(WideCase{"Width8ExactRepeats", options(8, kLittle, false, true), 1},
                      WideCase{"Width16Little", options(16, kLittle), 2}, WideCase{"Width16Big", options(16, kBig), 3},
                      WideCase{"Width16LittleAligned", options(16, kLittle, true), 4},
                      WideCase{"Width16BigExactRepeats", options(16, kBig, false, true), 5},
                      WideCase{"Width24Little", options(24, kLittle), 6},
                      WideCase{"Width24BigAligned", options(24, kBig, true), 7},
                      WideCase{"Width24LittleExactRepeats", options(24, kLittle, false, true), 8},
                      WideCase{"Width32Little", options(32, kLittle), 9}, WideCase{"Width32Big", options(32, kBig), 10},
                      WideCase{"Width32BigAlignedExactRepeats", options(32, kBig, true, true), 11}),
    [](const auto& info) { return std::string(info.param.name); });

// Offsets of all matches of `typed` in `bytes`, through the fastest match.
std::vector<std::uint64_t> matchesOf(std::initializer_list<int> typed, const std::vector<std::uint8_t>& bytes,
                                     const MatchOptions& o) {
    std::vector<std::uint64_t> found;
    findMatches(CompiledPattern::fromPattern(typedPattern(typed), o), bytes, 0, found);
    return found;
}

struct PlantedCase {
    const char* name;
    MatchOptions options;
    std::vector<std::uint64_t> expected;
};

void PrintTo(const PlantedCase& c, std::ostream* os) { *os << c.name; }

class PlantedWords : public ::testing::TestWithParam<PlantedCase> {};

// "Hello" as double-byte words at an odd and an even offset of zero bytes.
TEST_P(PlantedWords, FoundWhereTheyLie) {
    const MatchOptions& o = GetParam().options;
    std::vector<std::uint8_t> bytes(64, 0);
    const std::vector<std::uint8_t> hello = encode({0x3048, 0x3065, 0x306C, 0x306C, 0x306F}, o);
    std::copy(hello.begin(), hello.end(), bytes.begin() + 7);
    std::copy(hello.begin(), hello.end(), bytes.begin() + 30);
    EXPECT_EQ(matchesOf({72, 101, 108, 108, 111}, bytes, o), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PlantedWords,
                         ::testing::Values(PlantedCase{"Little", options(16, kLittle), {7, 30}},
                                           PlantedCase{"Big", options(16, kBig), {7, 30}},
                                           PlantedCase{"LittleAligned", options(16, kLittle, true), {30}},
                                           PlantedCase{"BigAligned", options(16, kBig, true), {30}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RepeatCase {
    const char* name;
    int width;
    bool exactRepeats;
    std::vector<std::int64_t> values;
    bool matches;
};

void PrintTo(const RepeatCase& c, std::ostream* os) { *os << c.name; }

class ExactRepeats : public ::testing::TestWithParam<RepeatCase> {};

// "Hello" and "He*e": a repeat after a skip must equal the entry before the skip.
TEST_P(ExactRepeats, RepeatsMustBeTheSameValue) {
    const RepeatCase& c = GetParam();
    const MatchOptions o = options(c.width, kBig, false, c.exactRepeats);
    const std::vector<std::uint8_t> bytes = encode(c.values, o);
    const std::vector<std::uint64_t> found =
        c.values.size() == 5 ? matchesOf({72, 101, 108, 108, 111}, bytes, o) : matchesOf({72, 101, -1, 101}, bytes, o);
    EXPECT_EQ(found, c.matches ? std::vector<std::uint64_t>{0} : std::vector<std::uint64_t>{});
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExactRepeats,
    ::testing::Values(RepeatCase{"Width8Hello", 8, true, {'H', 'e', 'l', 'l', 'o'}, true},
                      RepeatCase{"Width8HelxoRefused", 8, true, {'H', 'e', 'l', 'x', 'o'}, false},
                      RepeatCase{"Width8HelxoWithoutTheOption", 8, false, {'H', 'e', 'l', 'x', 'o'}, true},
                      RepeatCase{"Width16Hello", 16, true, {0x148, 0x165, 0x16C, 0x16C, 0x16F}, true},
                      RepeatCase{"Width16HelxoRefused", 16, true, {0x148, 0x165, 0x16C, 0x178, 0x16F}, false},
                      RepeatCase{"Width16HelxoWithoutTheOption", 16, false, {0x148, 0x165, 0x16C, 0x178, 0x16F}, true},
                      RepeatCase{"SkippedEntryStaysFree", 8, true, {'H', 'e', 'x', 'e'}, true},
                      RepeatCase{"RepeatAfterSkipRefused", 8, true, {'H', 'e', 'x', 'f'}, false},
                      RepeatCase{"Width16SkippedEntryStaysFree", 16, true, {0x148, 0x165, 0xFFFF, 0x165}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WidePattern, LengthAndLimitsFollowTheWidth) {
    const SearchPattern p = typedPattern({0, 32767});
    for (int width : {8, 16, 24, 32}) {
        const CompiledPattern c = CompiledPattern::fromPattern(p, options(width, kBig));
        EXPECT_EQ(c.length(), 2u * static_cast<std::size_t>(width / 8)) << width;
        EXPECT_EQ(c.highestFirst(), (std::int64_t{1} << width) - 1 - 32767) << width;
        EXPECT_EQ(c.canMatch(), width > 8) << width;
    }
    EXPECT_FALSE(CompiledPattern::fromPattern(p, options(12, kBig)).valid());
    EXPECT_EQ(CompiledPattern::fromPattern(p).options(), MatchOptions{});
}

// 1000 entries rising by the largest steps a values file holds reach past
// 2^24 but stay inside 2^32; nothing wraps.
TEST(WidePattern, ThousandEntriesOfTheLargestSteps) {
    struct Step {
        std::int16_t direction;
        std::int16_t difference;
        std::int64_t rise;
    };
    for (const Step step : {Step{1, 32767, 32767}, Step{-1, -32768, 32768}}) {
        const std::vector<std::int16_t> directions(1001, step.direction);
        const std::vector<std::int16_t> differences(1001, step.difference);
        std::vector<std::int64_t> run;
        for (std::int64_t i = 0; i < 1000; ++i) {
            run.push_back(5 + i * step.rise);
        }
        for (const int width : {24, 32}) {
            // At 24 bits the run is written wrapped at 2^24, which must not match.
            std::vector<std::uint8_t> bytes = encode(run, options(width, kBig));
            bytes.insert(bytes.begin(), 0x7F);
            const CompiledPattern c = CompiledPattern::compile(1000, directions, differences, options(width, kBig));
            std::vector<std::uint64_t> found;
            findMatches(c, bytes, 0, found);
            EXPECT_EQ(found, width == 32 ? std::vector<std::uint64_t>{1} : std::vector<std::uint64_t>{})
                << width << " bits, rise " << step.rise;
        }
    }
}

TEST(WidePattern, FilterPrefersStepsWithALowByte) {
    // Steps of 256 leave the lowest byte alone, so they filter no better than equality.
    const CompiledPattern c = CompiledPattern::fromPattern(typedPattern({0, 10, 20, 25600}), options(16, kLittle));
    ASSERT_EQ(c.filterChecks().size(), 2u);
    EXPECT_EQ(c.filterChecks()[0], (PatternCheck{4, 20}));
    EXPECT_EQ(c.filterChecks()[1], (PatternCheck{2, 10}));
}

}  // namespace
}  // namespace kinfold
