#pragma once

#include "search/MatchOptions.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kinfold {

class SearchPattern;

// One check of a candidate: the value `distance` bytes after its first byte
// must equal its first value plus `expected`, in exact integers. At 8 bits a
// value is one byte; wider values span MatchOptions::unitBytes() bytes.
struct PatternCheck {
    std::uint32_t distance = 0;
    std::int32_t expected = 0;
    friend bool operator==(const PatternCheck&, const PatternCheck&) = default;
};

// A pattern turned into the checks a candidate has to pass. Entry j with
// direction +1 or -1 becomes a check at distance (j - 1) * unitBytes whose
// expected difference from the first value is the signed sum of the steps of
// all checked entries up to j; entries with any other direction are not
// checked, except that with exactRepeats an entry of direction 0 that was
// not skipped must equal the value before it. A default-constructed pattern
// is not valid and matches nothing.
class CompiledPattern {
public:
    static constexpr int kMinEntries = 2;
    static constexpr int kMaxEntries = 1000;

    CompiledPattern() = default;

    // count entries whose direction and step sit in slot j for entry j (slot 0
    // and slot 1 are not read). The result is not valid() when count is
    // outside 2..1000, an array does not reach slot count or the width is
    // not one of MatchOptions::validWidth(). Raw slots know no skipped
    // entries, so with exactRepeats every direction-0 entry is a repeat.
    static CompiledPattern compile(int count, std::span<const std::int16_t> directions,
                                   std::span<const std::int16_t> differences, const MatchOptions& options = {});
    static CompiledPattern fromPattern(const SearchPattern& p);
    // Skipped entries of p stay free whatever the options say.
    static CompiledPattern fromPattern(const SearchPattern& p, const MatchOptions& options);

    bool valid() const { return length_ != 0; }
    // The bytes a candidate spans: entries times unitBytes; 0 for a pattern that is not valid.
    std::size_t length() const { return length_; }
    const MatchOptions& options() const { return options_; }
    // The bytes of one value.
    std::size_t unitBytes() const { return unitBytes_; }
    // The checks by increasing distance.
    std::span<const PatternCheck> checks() const { return checks_; }

    // Whether some first byte lets every check hold; when not, nothing matches.
    bool canMatch() const { return valid() && lowestFirst_ <= highestFirst_; }
    // The range a first value must lie in for every check to stay within
    // 0..2^width - 1.
    std::int64_t lowestFirst() const { return lowestFirst_; }
    std::int64_t highestFirst() const { return highestFirst_; }

    // Up to two checks that most candidates fail, for a quick look at many
    // candidates at once; survivors still need matchesFrom().
    std::span<const PatternCheck> filterChecks() const { return {filter_.data(), filterCount_}; }

    // The exact check of one candidate; false when it has fewer than length()
    // bytes. Alignment is the caller's business: it depends on the offset.
    bool matchesAt(std::span<const std::uint8_t> candidate) const;
    // The same without the size check: candidate must hold length() bytes.
    bool matchesFrom(const std::uint8_t* candidate) const;
    // Whether every check whose value lies wholly within `inside` passes: a
    // candidate cut short by the end of the file reads on until it reaches
    // that end exactly when this holds. True when not even the first value fits.
    bool passesInside(std::span<const std::uint8_t> inside) const;

private:
    static CompiledPattern build(int count, std::span<const std::int16_t> directions,
                                 std::span<const std::int16_t> differences, const MatchOptions& options,
                                 const SearchPattern* source);
    bool wideMatchesFrom(const std::uint8_t* candidate) const;

    std::size_t length_ = 0;
    MatchOptions options_;
    std::size_t unitBytes_ = 1;
    std::vector<PatternCheck> checks_;
    std::int64_t lowestFirst_ = 0;
    std::int64_t highestFirst_ = -1;
    std::array<PatternCheck, 2> filter_{};
    std::size_t filterCount_ = 0;
};

}  // namespace kinfold
