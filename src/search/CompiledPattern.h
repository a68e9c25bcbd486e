#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kinfold {

class SearchPattern;

// One check of a candidate: the byte `distance` bytes after its first byte
// must equal the first byte plus `expected`, in exact integers.
struct PatternCheck {
    std::uint32_t distance = 0;
    std::int32_t expected = 0;
    friend bool operator==(const PatternCheck&, const PatternCheck&) = default;
};

// A pattern turned into the checks a candidate has to pass. Entry j with
// direction +1 or -1 becomes a check at distance j - 1 whose expected
// difference from the first byte is the signed sum of the steps of all
// checked entries up to j; entries with any other direction are not checked.
// A default-constructed pattern is not valid and matches nothing.
class CompiledPattern {
public:
    static constexpr int kMinEntries = 2;
    static constexpr int kMaxEntries = 1000;

    CompiledPattern() = default;

    // count entries whose direction and step sit in slot j for entry j (slot 0
    // and slot 1 are not read). The result is not valid() when count is
    // outside 2..1000 or an array does not reach slot count.
    static CompiledPattern compile(int count, std::span<const std::int16_t> directions,
                                   std::span<const std::int16_t> differences);
    static CompiledPattern fromPattern(const SearchPattern& p);

    bool valid() const { return length_ != 0; }
    // n: the bytes a candidate spans; 0 for a pattern that is not valid.
    std::size_t length() const { return length_; }
    // The checks by increasing distance.
    std::span<const PatternCheck> checks() const { return checks_; }

    // Whether some first byte lets every check hold; when not, nothing matches.
    bool canMatch() const { return valid() && lowestFirst_ <= highestFirst_; }
    // The range a first byte must lie in for every check to stay within 0..255.
    int lowestFirst() const { return lowestFirst_; }
    int highestFirst() const { return highestFirst_; }

    // Up to two checks that most candidates fail, for a quick look at many
    // candidates at once; survivors still need matchesFrom().
    std::span<const PatternCheck> filterChecks() const { return {filter_.data(), filterCount_}; }

    // The exact check of one candidate; false when it has fewer than length() bytes.
    bool matchesAt(std::span<const std::uint8_t> candidate) const;
    // The same without the size check: candidate must hold length() bytes.
    bool matchesFrom(const std::uint8_t* candidate) const;
    // Whether every check whose byte lies within `inside` passes: a candidate
    // cut short by the end of the file reads on until it reaches that end
    // exactly when this holds. True for an empty span.
    bool passesInside(std::span<const std::uint8_t> inside) const;

private:
    std::size_t length_ = 0;
    std::vector<PatternCheck> checks_;
    int lowestFirst_ = 0;
    int highestFirst_ = -1;
    std::array<PatternCheck, 2> filter_{};
    std::size_t filterCount_ = 0;
};

}  // namespace kinfold
