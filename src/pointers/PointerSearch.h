#pragma once

#include "pointers/PointerMapping.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kinfold {

// A pointer found: where it lies, the offset it leads to, and what it holds.
struct PointerHit {
    std::uint64_t offset = 0;
    std::uint64_t target = 0;
    std::uint32_t value = 0;

    friend bool operator==(const PointerHit&, const PointerHit&) = default;
};

struct PointerSearchOptions {
    bool aligned = false;        // only positions that are multiples of the pointer's size
    bool bankOfPointer = false;  // only pointers the banks let reach their target (PointerMapping::reachable)
};

// The search for pointers to many targets at once. Every target's values go
// into one sorted array, cut into buckets of about one value each, with a
// bitmap of the values' range in front of it: a position costs a compare or
// two whatever the number of targets, and a bucket is looked at only where
// the bitmap lets a value by.
class PointerSearch {
public:
    // Targets in any order, repeated or not; a target with no pointer (in
    // the header, or whose value doesn't fit the width) is left out.
    PointerSearch(const PointerMapping& mapping, std::span<const std::uint64_t> targets,
                  PointerSearchOptions options = {});

    const PointerMapping& mapping() const { return mapping_; }
    const PointerSearchOptions& options() const { return options_; }
    // Whether no target has a value, so that nothing can be found.
    bool empty() const { return values_.empty(); }

    // Searches the positions whose pointer lies wholly within bytes, whose
    // first byte is at file offset start, and appends the hits in order of
    // position, then target. Stops after the position that takes hits to
    // maxHits or more, and returns the index in bytes of the first position
    // it left: the number of positions, bytes.size() - pointerBytes() + 1
    // (0 for fewer bytes than a pointer), when it searched them all.
    std::size_t search(std::span<const std::uint8_t> bytes, std::uint64_t start, std::vector<PointerHit>& hits,
                       std::size_t maxHits = SIZE_MAX) const;

private:
    template <int Bytes, bool Big>
    std::size_t searchAs(std::span<const std::uint8_t> bytes, std::uint64_t start, std::vector<PointerHit>& hits,
                         std::size_t maxHits) const;
    void addHits(std::uint64_t position, std::uint32_t value, std::vector<PointerHit>& hits) const;

    PointerMapping mapping_;
    PointerSearchOptions options_;
    std::vector<std::uint32_t> values_;   // sorted; a value with several targets is repeated
    std::vector<std::uint64_t> targets_;  // the target of each value, in increasing order for each value
    std::vector<std::uint32_t> starts_;   // the values of bucket b, (value - low_) >> bucketShift_, from starts_[b] on
    std::vector<std::uint64_t> filter_;   // bit (value - low_) >> shift_ set for every value
    std::uint32_t low_ = 0;
    std::uint32_t span_ = 0;  // the highest value minus low_
    int shift_ = 0;
    int bucketShift_ = 0;
};

}  // namespace kinfold
