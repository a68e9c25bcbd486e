#include "search/CompiledPattern.h"

#include "pattern/SearchPattern.h"

#include <algorithm>
#include <cstdlib>

namespace kinfold {

namespace {

// Equal-to-the-reference checks pass on every run of equal bytes, which ROMs
// are full of, and big steps between nearby bytes are rarer than small ones,
// so those checks reject the most candidates.
bool moreSelective(const PatternCheck& a, const PatternCheck& b) {
    const bool aZero = a.expected == 0;
    const bool bZero = b.expected == 0;
    if (aZero != bZero) {
        return bZero;
    }
    const int aSize = std::abs(a.expected);
    const int bSize = std::abs(b.expected);
    if (aSize != bSize) {
        return aSize > bSize;
    }
    return a.distance < b.distance;
}

}  // namespace

CompiledPattern CompiledPattern::compile(int count, std::span<const std::int16_t> directions,
                                         std::span<const std::int16_t> differences) {
    CompiledPattern out;
    if (count < kMinEntries || count > kMaxEntries) {
        return out;
    }
    const auto slots = static_cast<std::size_t>(count) + 1;
    if (directions.size() < slots || differences.size() < slots) {
        return out;
    }
    // 999 steps of at most 32768 each stay far inside 32 bits.
    std::int32_t sum = 0;
    std::int32_t lowest = 0;
    std::int32_t highest = 0;
    for (std::size_t j = 2; j < slots; ++j) {
        const int direction = directions[j];
        if (direction != 1 && direction != -1) {
            continue;
        }
        sum += direction == 1 ? differences[j] : -static_cast<std::int32_t>(differences[j]);
        out.checks_.push_back({static_cast<std::uint32_t>(j - 1), sum});
        lowest = std::min(lowest, sum);
        highest = std::max(highest, sum);
    }
    out.length_ = static_cast<std::size_t>(count);
    out.lowestFirst_ = static_cast<int>(std::max<std::int32_t>(0, -lowest));
    out.highestFirst_ = static_cast<int>(std::min<std::int32_t>(255, 255 - highest));

    std::vector<PatternCheck> ranked = out.checks_;
    std::sort(ranked.begin(), ranked.end(), moreSelective);
    out.filterCount_ = std::min<std::size_t>(ranked.size(), out.filter_.size());
    std::copy_n(ranked.begin(), out.filterCount_, out.filter_.begin());
    return out;
}

CompiledPattern CompiledPattern::fromPattern(const SearchPattern& p) {
    return compile(p.count(), p.directions(), p.differences());
}

bool CompiledPattern::matchesAt(std::span<const std::uint8_t> candidate) const {
    if (!valid() || candidate.size() < length_) {
        return false;
    }
    return matchesFrom(candidate.data());
}

bool CompiledPattern::matchesFrom(const std::uint8_t* candidate) const {
    if (!canMatch()) {
        return false;
    }
    const int first = candidate[0];
    for (const PatternCheck& c : checks_) {
        if (candidate[c.distance] - first != c.expected) {
            return false;
        }
    }
    return true;
}

bool CompiledPattern::passesInside(std::span<const std::uint8_t> inside) const {
    if (inside.empty()) {
        return true;
    }
    const int first = inside[0];
    for (const PatternCheck& c : checks_) {
        if (c.distance >= inside.size()) {
            break;
        }
        if (inside[c.distance] - first != c.expected) {
            return false;
        }
    }
    return true;
}

}  // namespace kinfold
