#include "script/SplitPoint.h"

#include <algorithm>

namespace kinfold {

std::optional<std::uint64_t> splitPoint(const TableDecoder& table, std::span<const std::uint8_t> bytes,
                                        std::uint64_t bytesOffset, std::uint64_t from, std::uint64_t rangeStart,
                                        std::uint64_t rangeEnd) {
    const std::uint64_t known = std::min(rangeEnd, bytesOffset + bytes.size());
    // The entry the scan takes at a position when it takes one: the longest
    // match, if it fits the range; a position with none is gone past alone.
    const auto fitting = [&](std::uint64_t at) -> const DecodeEntry* {
        const DecodeEntry* entry = table.match(bytes.subspan(at - bytesOffset, known - at));
        return entry != nullptr && at + entry->span() <= rangeEnd ? entry : nullptr;
    };
    // A position's longest match needs the kMaxEntryBytes bytes from it, unless the range ends first;
    // the bytes before it, unless the range starts first.
    const std::uint64_t last = known == rangeEnd ? known : known - std::min<std::uint64_t>(known, kMaxEntryBytes);
    std::uint64_t first = std::max(from, rangeStart);
    if (bytesOffset > rangeStart) first = std::max(first, bytesOffset + kSplitReach);
    for (std::uint64_t at = first; at < last; ++at) {
        if (fitting(at) != nullptr) continue;
        bool passed = false;
        for (std::uint64_t before = std::max(rangeStart, at - std::min<std::uint64_t>(at, kSplitReach));
             before < at && !passed; ++before) {
            const DecodeEntry* entry = fitting(before);
            passed = entry != nullptr && before + entry->span() > at;
        }
        if (!passed) return at;
    }
    return std::nullopt;
}

}  // namespace kinfold
