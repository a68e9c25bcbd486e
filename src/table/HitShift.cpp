#include "table/HitShift.h"

namespace kinfold {

std::optional<int> firstCheckedEntry(const SearchPattern& pattern) {
    for (int i = 1; i <= pattern.count(); ++i) {
        if (!pattern.isSkipped(i)) return i;
    }
    return std::nullopt;
}

std::optional<std::int64_t> hitShift(const SearchPattern& pattern, std::span<const std::uint8_t> fromHit,
                                     const MatchOptions& options) {
    const auto entry = firstCheckedEntry(pattern);
    if (!entry) return std::nullopt;
    const auto unitBytes = static_cast<std::size_t>(options.unitBytes());
    const std::size_t at = static_cast<std::size_t>(*entry - 1) * unitBytes;
    if (fromHit.size() < at + unitBytes) return std::nullopt;
    const std::uint32_t unit = readUnit(fromHit.data() + at, options.unitBytes(), options.byteOrder);
    return static_cast<std::int64_t>(unit) - pattern.value(*entry);
}

}  // namespace kinfold
