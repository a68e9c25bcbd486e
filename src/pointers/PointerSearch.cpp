#include "pointers/PointerSearch.h"

#include <algorithm>
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

}  // namespace

PointerSearch::PointerSearch(const PointerMapping& mapping, std::span<const std::uint64_t> targets,
                             PointerSearchOptions options)
    : mapping_(mapping), options_(options) {
    std::vector<std::pair<std::uint32_t, std::uint64_t>> pairs;
    pairs.reserve(targets.size() * 2);
    for (const std::uint64_t target : targets) {
        const PointerValues values = mapping_.valuesOf(target);
        for (int k = 0; k < values.count; ++k) {
            pairs.emplace_back(values.value[k], target);
        }
    }
    std::sort(pairs.begin(), pairs.end());
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
    filter_.assign(((std::uint64_t{span_} >> shift_) >> 6) + 1, 0);
    for (const std::uint32_t value : values_) {
        const std::uint32_t bit = (value - low_) >> shift_;
        filter_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }
}

void PointerSearch::addHits(std::uint64_t position, std::uint32_t value, std::vector<PointerHit>& hits) const {
    const auto [first, last] = std::equal_range(values_.begin(), values_.end(), value);
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
    std::size_t i = 0;
    std::size_t step = 1;
    if (options_.aligned) {
        step = Bytes;
        i = static_cast<std::size_t>((Bytes - start % Bytes) % Bytes);
    }
    const std::uint8_t* data = bytes.data();
    const std::uint64_t* filter = filter_.data();
    const std::uint32_t low = low_;
    const std::uint32_t span = span_;
    const int shift = shift_;
    for (; i < positions; i += step) {
        const std::uint32_t value = load<Bytes, Big>(data + i);
        const std::uint32_t d = value - low;
        if (d > span) {
            continue;
        }
        const std::uint32_t bit = d >> shift;
        if ((filter[bit >> 6] >> (bit & 63) & 1) == 0) {
            continue;
        }
        addHits(start + i, value, hits);
        if (hits.size() >= maxHits) {
            return std::min(i + step, positions);
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
