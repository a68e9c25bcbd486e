// The fast scan against the plain reference on random patterns and data,
// on every instruction set this machine has.

#include "SearchTestSupport.h"
#include "search/FileScanner.h"
#include "search/Matcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace kinfold {
namespace {

using testing_support::expectFastMatchAgrees;
using testing_support::RawPattern;
using testing_support::referenceScan;
using testing_support::TempFolder;
using testing_support::testScale;

enum class Lengths { Short, Mixed, Long };
enum class Steps { Typed, Loaded, Wild };
enum class Bytes { Random, FewValues, Planted, NearMisses, PlantedAtTheEnd };

struct DiffCase {
    const char* name;
    std::uint64_t seed;
    int cases;  // before KINFOLD_TEST_SCALE
    Lengths lengths;
    Steps steps;
    Bytes bytes;
    int fileEvery;  // every how many cases also go through a FileScanner
};

void PrintTo(const DiffCase& c, std::ostream* os) { *os << c.name; }

// A random pattern and the byte run it was made from: its checked entries
// hold exactly when a candidate carries `run` at them.
struct Generated {
    RawPattern pattern;
    std::vector<std::uint8_t> run;
    std::vector<std::size_t> checked;  // indexes into run of checked entries
    bool runMatches = true;
};

int pickLength(std::mt19937_64& random, Lengths lengths) {
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    switch (lengths) {
    case Lengths::Short: return between(2, 8);
    case Lengths::Mixed: {
        const int roll = between(0, 99);
        if (roll < 60) {
            return between(2, 8);
        }
        if (roll < 90) {
            return between(9, 64);
        }
        return between(65, 300);
    }
    case Lengths::Long: return between(300, 1000);
    }
    return 2;
}

Generated generate(std::mt19937_64& random, Lengths lengths, Steps steps) {
    auto roll = [&](int high) { return std::uniform_int_distribution<int>(0, high - 1)(random); };
    Generated g;
    const int n = pickLength(random, lengths);
    g.pattern.count = n;
    g.run.resize(static_cast<std::size_t>(n));
    // A walk of bytes: small moves, leaps, repeats, and now and then the edges of the range.
    int value = roll(256);
    for (auto& b : g.run) {
        switch (roll(6)) {
        case 0: value = roll(256); break;
        case 1: break;
        case 2: value = roll(2) == 0 ? 0 : 255; break;
        default: value = std::clamp(value + roll(7) - 3, 0, 255); break;
        }
        b = static_cast<std::uint8_t>(value);
    }
    const int skipShare = roll(4) == 0 ? 100 : roll(40);  // some patterns skip every entry
    int reference = g.run[0];
    for (int j = 2; j <= n; ++j) {
        const auto slot = static_cast<std::size_t>(j);
        const int v = g.run[slot - 1];
        const int step = v - reference;
        std::int16_t direction = 0;
        std::int16_t difference = 0;
        bool checked = true;
        if (roll(100) < skipShare) {
            // Not checked: direction 0 as typed skips have, or anything else but 1 and -1.
            static constexpr std::int16_t kOthers[] = {0, 0, 0, 2, -5, 7, 3, -2, 32767, -32768};
            direction = kOthers[roll(10)];
            difference = static_cast<std::int16_t>(roll(65536) - 32768);
            checked = false;
        } else if (steps == Steps::Typed || roll(3) == 0) {
            // As appendValue stores it: equal values are not checked.
            if (step == 0) {
                checked = false;
            }
            direction = static_cast<std::int16_t>(step > 0 ? 1 : step < 0 ? -1 : 0);
            difference = static_cast<std::int16_t>(step > 0 ? step : -step);
        } else if (roll(2) == 0) {
            // Direction 1 with a step of any sign, 0 meaning "equal".
            direction = 1;
            difference = static_cast<std::int16_t>(step);
        } else {
            direction = -1;
            difference = static_cast<std::int16_t>(-step);
        }
        if (steps == Steps::Wild && checked && roll(8) == 0) {
            // Steps near and beyond the byte range.
            static constexpr std::int16_t kWild[] = {255, 256, -255, -256, 300, -300, 32767, -32768, 254, 1};
            difference = kWild[roll(10)];
            direction = static_cast<std::int16_t>(roll(2) == 0 ? 1 : -1);
            if (v - reference != direction * difference) {
                g.runMatches = false;
            }
        }
        g.pattern.directions[slot] = direction;
        g.pattern.differences[slot] = difference;
        if (checked) {
            g.checked.push_back(slot - 1);
            reference = v;
        }
    }
    return g;
}

std::vector<std::uint8_t> makeBytes(std::mt19937_64& random, const Generated& g, Bytes kind) {
    auto roll = [&](std::size_t high) { return std::uniform_int_distribution<std::size_t>(0, high - 1)(random); };
    const std::size_t n = g.run.size();
    std::size_t size = roll(4) == 0 ? roll(40) : roll(3000) + 1;
    if (roll(10) == 0) {
        size = n + roll(3);  // about one candidate
    }
    std::vector<std::uint8_t> bytes(size);
    if (kind == Bytes::FewValues) {
        // Bytes drawn from a handful of values, most of them from the run, so partial matches abound.
        std::vector<std::uint8_t> values = {g.run[roll(n)], g.run[roll(n)], static_cast<std::uint8_t>(roll(256))};
        for (auto& b : bytes) {
            b = values[roll(values.size())];
        }
    } else {
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(roll(256));
        }
    }
    auto plant = [&](std::size_t at, std::size_t length) {
        for (std::size_t k = 0; k < length && at + k < bytes.size(); ++k) {
            bytes[at + k] = g.run[k];
        }
    };
    if (kind == Bytes::Planted || kind == Bytes::NearMisses || kind == Bytes::FewValues) {
        const std::size_t count = roll(6) + 1;
        for (std::size_t i = 0; i < count && !bytes.empty(); ++i) {
            const std::size_t at = roll(bytes.size());
            plant(at, n);
            // A copy one step off at one checked byte, when the run has one.
            if (kind == Bytes::NearMisses && !g.checked.empty()) {
                const std::size_t k = g.checked[roll(g.checked.size())];
                if (at + k < bytes.size()) {
                    const int off = roll(2) == 0 ? -1 : 1;
                    bytes[at + k] = static_cast<std::uint8_t>(bytes[at + k] + off);
                }
            }
        }
    }
    if (kind == Bytes::PlantedAtTheEnd && !bytes.empty()) {
        // The run cut short by the end of the file, so the last candidates pass what they have.
        const std::size_t keep = std::min(bytes.size(), roll(n) + 1);
        plant(bytes.size() - keep, keep);
    }
    return bytes;
}

std::string describe(const Generated& g, const std::vector<std::uint8_t>& bytes) {
    std::ostringstream out;
    out << "pattern n=" << g.pattern.count << ":";
    for (int j = 2; j <= g.pattern.count && j < 40; ++j) {
        out << " (" << g.pattern.directions[static_cast<std::size_t>(j)] << ","
            << g.pattern.differences[static_cast<std::size_t>(j)] << ")";
    }
    out << " bytes=" << bytes.size();
    return out.str();
}

class Differential : public ::testing::TestWithParam<DiffCase> {};

TEST_P(Differential, FastScanAgreesWithTheReference) {
    const DiffCase& c = GetParam();
    std::mt19937_64 random(c.seed);
    TempFolder folder;
    const std::vector<Isa> isas = availableIsas();
    const int cases = c.cases * testScale();
    int planted = 0;
    int matchesSeen = 0;
    for (int i = 0; i < cases; ++i) {
        const Generated g = generate(random, c.lengths, c.steps);
        const std::vector<std::uint8_t> bytes = makeBytes(random, g, c.bytes);
        const auto reference = referenceScan(g.pattern, bytes);
        const CompiledPattern compiled = g.pattern.compile();
        ASSERT_TRUE(compiled.valid());
        SCOPED_TRACE("case " + std::to_string(i) + ", " + describe(g, bytes));
        matchesSeen += static_cast<int>(reference.matches.size());
        planted += g.runMatches ? 1 : 0;

        // A slice from an odd start with a large first offset.
        ASSERT_NO_FATAL_FAILURE(expectFastMatchAgrees(compiled, bytes, reference.matches, random, 0x1'2345'6789ull));

        if (i % c.fileEvery == 0) {
            const auto path = folder.write("rom.bin", bytes);
            static constexpr std::size_t kBlocks[] = {1, 3, 7, 64, 333, 4096, FileScanner::kDefaultBlockSize};
            const std::size_t block = kBlocks[random() % std::size(kBlocks)];
            for (Isa isa : isas) {
                SCOPED_TRACE(std::string(isaName(isa)) + " block " + std::to_string(block));
                FileScanner scanner(compiled, block, isa);
                ASSERT_TRUE(scanner.open(path));
                std::vector<std::uint64_t> found;
                const std::uint64_t maxSlice = random() % 2 == 0 ? 32768 : random() % 50 + 1;
                while (!scanner.finished()) {
                    scanner.scanUntil(scanner.position() + random() % maxSlice + 1, found);
                }
                ASSERT_FALSE(scanner.error().has_value()) << scanner.error()->message();
                ASSERT_EQ(found, reference.matches);
                ASSERT_EQ(scanner.position(), reference.lastPosition);
            }
        }
    }
    // The generator must keep producing the cases it exists for.
    if (c.bytes == Bytes::Planted && c.steps != Steps::Wild) {
        EXPECT_GT(matchesSeen, cases / 2);
    }
    RecordProperty("matches", matchesSeen);
    RecordProperty("matchable", planted);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Differential,
    ::testing::Values(
        DiffCase{"ShortTypedRandomBytes", 1, 1500, Lengths::Short, Steps::Typed, Bytes::Random, 4},
        DiffCase{"ShortTypedPlanted", 2, 1500, Lengths::Short, Steps::Typed, Bytes::Planted, 4},
        DiffCase{"ShortLoadedFewValues", 3, 1500, Lengths::Short, Steps::Loaded, Bytes::FewValues, 4},
        DiffCase{"MixedLoadedPlanted", 4, 1500, Lengths::Mixed, Steps::Loaded, Bytes::Planted, 4},
        DiffCase{"MixedLoadedNearMisses", 5, 1500, Lengths::Mixed, Steps::Loaded, Bytes::NearMisses, 4},
        DiffCase{"MixedWildSteps", 6, 1000, Lengths::Mixed, Steps::Wild, Bytes::Planted, 4},
        DiffCase{"MixedPlantedAtTheEnd", 7, 1500, Lengths::Mixed, Steps::Loaded, Bytes::PlantedAtTheEnd, 2},
        DiffCase{"ShortWildFewValues", 8, 1000, Lengths::Short, Steps::Wild, Bytes::FewValues, 4},
        DiffCase{"LongLoadedPlanted", 9, 300, Lengths::Long, Steps::Loaded, Bytes::Planted, 3},
        DiffCase{"LongTypedNearMisses", 10, 300, Lengths::Long, Steps::Typed, Bytes::NearMisses, 3},
        DiffCase{"LongWildPlantedAtTheEnd", 11, 300, Lengths::Long, Steps::Wild, Bytes::PlantedAtTheEnd, 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold
