#pragma once

// Shared by the search tests: the plain reference scan that follows the
// matching rule word for word, pattern builders and temporary files.

#include "pattern/SearchPattern.h"
#include "search/CompiledPattern.h"
#include "search/Matcher.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kinfold::testing_support {

// A pattern as the slot arrays the search reads: slot j belongs to entry j.
struct RawPattern {
    int count = 0;
    std::array<std::int16_t, SearchPattern::kMaxEntries + 1> directions{};
    std::array<std::int16_t, SearchPattern::kMaxEntries + 1> differences{};

    CompiledPattern compile() const { return CompiledPattern::compile(count, directions, differences); }
};

// Entries 2..n as (direction, difference) pairs.
inline RawPattern rawPattern(std::initializer_list<std::pair<int, int>> entries) {
    RawPattern p;
    p.count = 1;
    for (const auto& [direction, difference] : entries) {
        ++p.count;
        p.directions[static_cast<std::size_t>(p.count)] = static_cast<std::int16_t>(direction);
        p.differences[static_cast<std::size_t>(p.count)] = static_cast<std::int16_t>(difference);
    }
    return p;
}

// Values typed by a user; -1 stands for a skipped entry.
inline SearchPattern typedPattern(std::initializer_list<int> values) {
    SearchPattern p;
    for (int v : values) {
        if (v == -1) {
            EXPECT_TRUE(p.appendSkipped());
        } else {
            EXPECT_EQ(p.appendValue(static_cast<std::int16_t>(v)), SearchPattern::AppendResult::Added);
        }
    }
    return p;
}

struct ReferenceResult {
    std::vector<std::uint64_t> matches;
    std::uint64_t lastPosition = 0;  // SearchPos of the last examined candidate
};

// The rule as written, one candidate and one entry at a time: value i is the
// unsigned number in the unitBytes bytes at s + (i - 1) * unitBytes, read in
// the options' byte order; value 1 is the reference; direction +1 wants
// value j == r + step, -1 wants r - step, direction 0 wants r with
// exactRepeats unless the entry is skipped, any other direction checks
// nothing and leaves r alone; a passed check makes value j the reference.
// A candidate reads its values in order and stops at its first failed
// check; the scan ends after the first candidate that read past the end of
// the file. Aligned options count matches only at multiples of unitBytes.
inline ReferenceResult referenceScan(int count, std::span<const std::int16_t> directions,
                                     std::span<const std::int16_t> differences, std::span<const std::uint8_t> file,
                                     const MatchOptions& options = {}, const SearchPattern* skips = nullptr) {
    ReferenceResult result;
    const std::uint64_t size = file.size();
    const auto unit = static_cast<std::uint64_t>(options.unitBytes());
    auto value = [&](std::uint64_t at) -> std::int64_t {
        std::int64_t v = 0;
        for (std::uint64_t k = 0; k < unit; ++k) {
            const std::uint64_t byte = options.byteOrder == ByteOrder::Big ? at + k : at + unit - 1 - k;
            v = v * 256 + file[byte];
        }
        return v;
    };
    for (std::uint64_t s = 0;; ++s) {
        bool pastEnd = false;
        bool passed = true;
        if (s + unit > size) {
            pastEnd = true;
        } else {
            std::int64_t r = value(s);
            for (int j = 2; j <= count; ++j) {
                const std::uint64_t at = s + (static_cast<std::uint64_t>(j) - 1) * unit;
                if (at + unit > size) {
                    pastEnd = true;
                    break;
                }
                const std::int64_t v = value(at);
                const int direction = directions[static_cast<std::size_t>(j)];
                const int difference = differences[static_cast<std::size_t>(j)];
                const bool repeat =
                    direction == 0 && options.exactRepeats && (skips == nullptr || !skips->isSkipped(j));
                if (direction == 1 || direction == -1 || repeat) {
                    const std::int64_t want = repeat ? r : direction == 1 ? r + difference : r - difference;
                    if (v != want) {
                        passed = false;
                        break;
                    }
                    r = v;
                }
            }
        }
        if (pastEnd) {
            result.lastPosition = s + 1;
            return result;
        }
        if (passed && (!options.aligned || s % unit == 0)) {
            result.matches.push_back(s);
        }
    }
}

inline ReferenceResult referenceScan(const RawPattern& p, std::span<const std::uint8_t> file) {
    return referenceScan(p.count, p.directions, p.differences, file);
}

inline ReferenceResult referenceScan(const SearchPattern& p, std::span<const std::uint8_t> file,
                                     const MatchOptions& options = {}) {
    return referenceScan(p.count(), p.directions(), p.differences(), file, options, &p);
}

// Scale for the random tests: KINFOLD_TEST_SCALE=4 runs four times as many cases.
// The fast match with every instruction set against the reference matches:
// over all of bytes, then over a random run of candidates numbered from base
// (which callers pick to keep any alignment the pattern asks for).
inline void expectFastMatchAgrees(const CompiledPattern& compiled, std::span<const std::uint8_t> bytes,
                                  const std::vector<std::uint64_t>& reference, std::mt19937_64& random,
                                  std::uint64_t base) {
    for (Isa isa : availableIsas()) {
        SCOPED_TRACE(isaName(isa));
        std::vector<std::uint64_t> found;
        findMatches(compiled, bytes, 0, found, isa);
        ASSERT_EQ(found, reference);
        if (bytes.size() < compiled.length()) {
            continue;
        }
        const std::size_t candidates = bytes.size() - compiled.length() + 1;
        const std::size_t a = std::uniform_int_distribution<std::size_t>(0, candidates)(random);
        const std::size_t b = std::uniform_int_distribution<std::size_t>(a, candidates)(random);
        std::vector<std::uint64_t> slice;
        findMatches(compiled, bytes.data() + a, b - a, base + a, slice, isa);
        std::vector<std::uint64_t> expected;
        for (std::uint64_t m : reference) {
            if (m >= a && m < b) {
                expected.push_back(base + m);
            }
        }
        ASSERT_EQ(slice, expected) << "candidates " << a << " to " << b;
    }
}

// A path below a folder written with slashes, as the folder walk writes it
// on this system: with backslashes on Windows.
inline std::string nativeSlashes(std::string relative) {
#if defined(_WIN32)
    for (char& c : relative) {
        if (c == '/') c = '\\';
    }
#endif
    return relative;
}

inline int testScale() {
    const char* text = std::getenv("KINFOLD_TEST_SCALE");
    if (text == nullptr) {
        return 1;
    }
    const int scale = std::atoi(text);
    return scale < 1 ? 1 : scale;
}

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        const char* root = std::getenv("KINFOLD_TEST_TMP");
        std::filesystem::path base =
            root != nullptr && *root != '\0' ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "kinfold-search-";
        if (info != nullptr) {
            name += std::string(info->test_suite_name()) + "-" + info->name();
        }
        for (char& c : name) {
            if (c == '/' || c == '\\') {
                c = '_';
            }
        }
        path_ = base / name;
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    std::filesystem::path write(const std::string& name, std::span<const std::uint8_t> bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        EXPECT_TRUE(out.good()) << "writing " << file;
        return file;
    }

private:
    std::filesystem::path path_;
};

}  // namespace kinfold::testing_support
