#include "pointers/PointerSearch.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace kinfold {
namespace {

// Bits of the filter at most: 128 KiB, which stays in a core's second-level cache.
constexpr int kFilterBitsLog = 20;

template <int Bytes, bool Big>
std::uint32_t load(const std::uint8_t* p) {
    if constexpr (Bytes == 2) {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        if constexpr (Big) {
            v = static_cast<std::uint16_t>((v >> 8) | (v << 8));
        }
        return v;
    } else if constexpr (Bytes == 4) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        if constexpr (Big) {
            v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
        }
        return v;
    } else {
        if constexpr (Big) {
            return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        } else {
            return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
        }
    }
}

using ValueTarget = std::pair<std::uint32_t, std::uint64_t>;

// Sorts a run of pairs by value, then target, when they came in order of
// target: values of 16 bits by counting, which keeps that order; wider ones,
// which mappings give in order of target already, by a plain sort if need be.
void sortRun(std::vector<ValueTarget>::iterator first, std::vector<ValueTarget>::iterator last, int width) {
    if (std::is_sorted(first, last)) {
        return;
    }
    if (width > 16) {
        std::sort(first, last);
        return;
    }
    std::vector<std::size_t> starts(std::size_t{1} << 16 | 1, 0);
    for (auto it = first; it != last; ++it) {
        ++starts[it->first + 1];
    }
    for (std::size_t v = 1; v < starts.size(); ++v) {
        starts[v] += starts[v - 1];
    }
    std::vector<ValueTarget> sorted(static_cast<std::size_t>(last - first));
    for (auto it = first; it != last; ++it) {
        sorted[starts[it->first]++] = *it;
    }
    std::copy(sorted.begin(), sorted.end(), first);
}

}  // namespace

PointerSearch::PointerSearch(const PointerMapping& mapping, std::span<const std::uint64_t> targets,
                             PointerSearchOptions options)
    : mapping_(mapping), options_(options) {
    std::vector<std::uint64_t> ordered(targets.begin(), targets.end());
    if (!std::is_sorted(ordered.begin(), ordered.end())) {
        std::sort(ordered.begin(), ordered.end());
    }
    ordered.erase(std::unique(ordered.begin(), ordered.end()), ordered.end());
    // The first values of every target, then the second ones: two runs in
    // order of target, each sorted on its own and then merged.
    std::vector<ValueTarget> pairs;
    pairs.reserve(ordered.size() * 2);
    std::size_t firstRun = 0;
    for (int slot = 0; slot < 2; ++slot) {
        for (const std::uint64_t target : ordered) {
            const PointerValues values = mapping_.valuesOf(target);
            if (values.count > slot) {
                pairs.emplace_back(values.value[slot], target);
            }
        }
        if (slot == 0) {
            firstRun = pairs.size();
        }
    }
    const auto middle = pairs.begin() + static_cast<std::ptrdiff_t>(firstRun);
    sortRun(pairs.begin(), middle, mapping_.width());
    sortRun(middle, pairs.end(), mapping_.width());
    std::inplace_merge(pairs.begin(), middle, pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    values_.reserve(pairs.size());
    targets_.reserve(pairs.size());
    for (const auto& [value, target] : pairs) {
        values_.push_back(value);
        targets_.push_back(target);
    }
    if (values_.empty()) {
        return;
    }
    low_ = values_.front();
    span_ = values_.back() - low_;
    while ((std::uint64_t{span_} >> shift_) >= (std::uint64_t{1} << kFilterBitsLog)) {
        ++shift_;
    }
    // About a bucket per value, each the index of its first value.
    while ((std::uint64_t{span_} >> bucketShift_) >= std::max<std::uint64_t>(values_.size(), 1)) {
        ++bucketShift_;
    }
    starts_.assign((std::uint64_t{span_} >> bucketShift_) + 2, 0);
    for (const std::uint32_t value : values_) {
        ++starts_[((value - low_) >> bucketShift_) + 1];
    }
    for (std::size_t b = 1; b < starts_.size(); ++b) {
        starts_[b] += starts_[b - 1];
    }
    filter_.assign(((std::uint64_t{span_} >> shift_) >> 6) + 1, 0);
    for (const std::uint32_t value : values_) {
        const std::uint32_t bit = (value - low_) >> shift_;
        filter_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }
}

void PointerSearch::addHits(std::uint64_t position, std::uint32_t value, std::vector<PointerHit>& hits) const {
    const std::uint32_t bucket = (value - low_) >> bucketShift_;
    const auto [first, last] =
        std::equal_range(values_.begin() + starts_[bucket], values_.begin() + starts_[bucket + 1], value);
    for (auto it = first; it != last; ++it) {
        const std::uint64_t target = targets_[static_cast<std::size_t>(it - values_.begin())];
        if (!options_.bankOfPointer || mapping_.reachable(position, target)) {
            hits.push_back({position, target, value});
        }
    }
}

template <int Bytes, bool Big>
std::size_t PointerSearch::searchAs(std::span<const std::uint8_t> bytes, std::uint64_t start,
                                    std::vector<PointerHit>& hits, std::size_t maxHits) const {
    if (bytes.size() < Bytes) {
        return 0;
    }
    const std::size_t positions = bytes.size() - Bytes + 1;
    const std::uint8_t* data = bytes.data();
    const std::uint64_t* filter = filter_.data();
    const std::uint32_t low = low_;
    const std::uint32_t span = span_;
    const int shift = shift_;
    // Whether the position's pointer is one of the targets', its hits added;
    // true once the hits reach maxHits.
    const auto check = [&](std::size_t i) {
        if (options_.aligned && (start + i) % Bytes != 0) {
            return false;
        }
        const std::uint32_t value = load<Bytes, Big>(data + i);
        const std::uint32_t d = value - low;
        if (d > span) {
            return false;
        }
        const std::uint32_t bit = d >> shift;
        if ((filter[bit >> 6] >> (bit & 63) & 1) == 0) {
            return false;
        }
        addHits(start + i, value, hits);
        return hits.size() >= maxHits;
    };

    // First the most significant byte alone, for a chunk of positions at a
    // time in a loop the compiler turns into vector instructions: the values
    // of targets share few of them, so most chunks have no position to check.
    constexpr int kTopShift = 8 * (Bytes - 1);
    constexpr std::size_t kTopAt = Big ? 0 : Bytes - 1;
    const auto topLow = static_cast<std::uint8_t>(low >> kTopShift);
    const auto topSpan = static_cast<std::uint8_t>(((low + span) >> kTopShift) - topLow);
    constexpr std::size_t kChunk = 64;
    std::size_t i = 0;
    for (; i + kChunk <= positions; i += kChunk) {
        alignas(8) std::uint8_t flags[kChunk];
        const std::uint8_t* top = data + i + kTopAt;
        for (std::size_t k = 0; k < kChunk; ++k) {
            flags[k] = static_cast<std::uint8_t>(top[k] - topLow) <= topSpan ? 1 : 0;
        }
        for (std::size_t w = 0; w < kChunk; w += 8) {
            std::uint64_t word;
            std::memcpy(&word, flags + w, sizeof word);
            while (word != 0) {
                // The flag of the first position left in the word is its lowest byte in memory.
                std::size_t k;
                if constexpr (std::endian::native == std::endian::little) {
                    k = static_cast<std::size_t>(std::countr_zero(word)) / 8;
                } else {
                    k = static_cast<std::size_t>(std::countl_zero(word)) / 8;
                }
                word &= ~(std::uint64_t{0xFF} << (std::endian::native == std::endian::little ? 8 * k : 56 - 8 * k));
                if (check(i + w + k)) {
                    return i + w + k + 1;
                }
            }
        }
    }
    for (; i < positions; ++i) {
        if (check(i)) {
            return i + 1;
        }
    }
    return positions;
}

std::size_t PointerSearch::search(std::span<const std::uint8_t> bytes, std::uint64_t start,
                                  std::vector<PointerHit>& hits, std::size_t maxHits) const {
    const auto size = static_cast<std::size_t>(mapping_.pointerBytes());
    if (empty()) {
        return bytes.size() < size ? 0 : bytes.size() - size + 1;
    }
    const bool big = mapping_.byteOrder() == ByteOrder::Big;
    switch (size) {
    case 2:
        return big ? searchAs<2, true>(bytes, start, hits, maxHits) : searchAs<2, false>(bytes, start, hits, maxHits);
    case 3:
        return big ? searchAs<3, true>(bytes, start, hits, maxHits) : searchAs<3, false>(bytes, start, hits, maxHits);
    default:
        return big ? searchAs<4, true>(bytes, start, hits, maxHits) : searchAs<4, false>(bytes, start, hits, maxHits);
    }
}

}  // namespace kinfold
