#include "search/CompiledPattern.h"

#include "pattern/SearchPattern.h"

#include <algorithm>
#include <cstdlib>

namespace kinfold {

namespace {

// Equal-to-the-reference checks pass on every run of equal bytes, which ROMs
// are full of, and big steps between nearby bytes are rarer than small ones,
// so those checks reject the most candidates. The filter compares lowest
// bytes only, so a wide step that is a multiple of 256 is as weak as none.
bool moreSelective(const PatternCheck& a, const PatternCheck& b) {
    const bool aZero = (a.expected & 0xFF) == 0;
    const bool bZero = (b.expected & 0xFF) == 0;
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
                                         std::span<const std::int16_t> differences, const MatchOptions& options) {
    return build(count, directions, differences, options, nullptr);
}

CompiledPattern CompiledPattern::fromPattern(const SearchPattern& p) {
    return build(p.count(), p.directions(), p.differences(), MatchOptions{}, &p);
}

CompiledPattern CompiledPattern::fromPattern(const SearchPattern& p, const MatchOptions& options) {
    return build(p.count(), p.directions(), p.differences(), options, &p);
}

CompiledPattern CompiledPattern::build(int count, std::span<const std::int16_t> directions,
                                       std::span<const std::int16_t> differences, const MatchOptions& options,
                                       const SearchPattern* source) {
    CompiledPattern out;
    if (count < kMinEntries || count > kMaxEntries || !MatchOptions::validWidth(options.width)) {
        return out;
    }
    const auto slots = static_cast<std::size_t>(count) + 1;
    if (directions.size() < slots || differences.size() < slots) {
        return out;
    }
    out.options_ = options;
    out.unitBytes_ = static_cast<std::size_t>(options.unitBytes());
    // 999 steps of at most 32768 each stay far inside 32 bits.
    std::int32_t sum = 0;
    std::int32_t lowest = 0;
    std::int32_t highest = 0;
    for (std::size_t j = 2; j < slots; ++j) {
        const int direction = directions[j];
        const auto distance = static_cast<std::uint32_t>((j - 1) * out.unitBytes_);
        if (direction == 0 && options.exactRepeats && (source == nullptr || !source->isSkipped(static_cast<int>(j)))) {
            // A repeat: the same value as the entry before, whose expected sum this still is.
            out.checks_.push_back({distance, sum});
            continue;
        }
        if (direction != 1 && direction != -1) {
            continue;
        }
        sum += direction == 1 ? differences[j] : -static_cast<std::int32_t>(differences[j]);
        out.checks_.push_back({distance, sum});
        lowest = std::min(lowest, sum);
        highest = std::max(highest, sum);
    }
    const std::int64_t top = (std::int64_t{1} << options.width) - 1;
    out.length_ = static_cast<std::size_t>(count) * out.unitBytes_;
    out.lowestFirst_ = std::max<std::int64_t>(0, -std::int64_t{lowest});
    out.highestFirst_ = std::min<std::int64_t>(top, top - highest);

    std::vector<PatternCheck> ranked = out.checks_;
    std::sort(ranked.begin(), ranked.end(), moreSelective);
    out.filterCount_ = std::min<std::size_t>(ranked.size(), out.filter_.size());
    std::copy_n(ranked.begin(), out.filterCount_, out.filter_.begin());
    return out;
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
    if (unitBytes_ != 1) {
        return wideMatchesFrom(candidate);
    }
    const int first = candidate[0];
    for (const PatternCheck& c : checks_) {
        if (candidate[c.distance] - first != c.expected) {
            return false;
        }
    }
    return true;
}

namespace {

// One loop per width and byte order, so each value is read with a fixed
// number of bytes and the compiler can unroll it.
template <int kBytes, ByteOrder kOrder>
bool allChecksHold(std::span<const PatternCheck> checks, const std::uint8_t* candidate) {
    const std::int64_t first = readUnit(candidate, kBytes, kOrder);
    for (const PatternCheck& c : checks) {
        if (std::int64_t{readUnit(candidate + c.distance, kBytes, kOrder)} - first != c.expected) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool CompiledPattern::wideMatchesFrom(const std::uint8_t* candidate) const {
    const bool little = options_.byteOrder == ByteOrder::Little;
    switch (unitBytes_) {
    case 2:
        return little ? allChecksHold<2, ByteOrder::Little>(checks_, candidate)
                      : allChecksHold<2, ByteOrder::Big>(checks_, candidate);
    case 3:
        return little ? allChecksHold<3, ByteOrder::Little>(checks_, candidate)
                      : allChecksHold<3, ByteOrder::Big>(checks_, candidate);
    default:
        return little ? allChecksHold<4, ByteOrder::Little>(checks_, candidate)
                      : allChecksHold<4, ByteOrder::Big>(checks_, candidate);
    }
}

bool CompiledPattern::passesInside(std::span<const std::uint8_t> inside) const {
    if (inside.size() < unitBytes_) {
        return true;
    }
    const int unit = static_cast<int>(unitBytes_);
    const std::int64_t first = readUnit(inside.data(), unit, options_.byteOrder);
    for (const PatternCheck& c : checks_) {
        if (c.distance + unitBytes_ > inside.size()) {
            break;
        }
        if (std::int64_t{readUnit(inside.data() + c.distance, unit, options_.byteOrder)} - first != c.expected) {
            return false;
        }
    }
    return true;
}

}  // namespace kinfold
