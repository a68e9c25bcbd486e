#include "pointers/TableMark.h"

#include <algorithm>

namespace kinfold {

bool sitsInPointerTable(const PointerMapping& mapping, std::span<const std::uint8_t> bytes, std::uint64_t start,
                        const PointerHit& pointer, std::span<const std::uint64_t> stringStarts) {
    const auto size = static_cast<std::uint64_t>(mapping.pointerBytes());
    const std::uint64_t bank = mapping.bankOf(pointer.target).value_or(0);
    const auto leadsToAString = [&](std::uint64_t slot) {
        if (slot < start || slot - start > bytes.size() || bytes.size() - (slot - start) < size) return false;
        const std::uint32_t value = mapping.valueAt(bytes.subspan(static_cast<std::size_t>(slot - start)));
        const std::optional<std::uint64_t> target = mapping.targetOf(value, bank);
        return target && std::binary_search(stringStarts.begin(), stringStarts.end(), *target);
    };
    return (pointer.offset >= size && leadsToAString(pointer.offset - size)) || leadsToAString(pointer.offset + size);
}

std::vector<bool> markTablePointers(const PointerMapping& mapping, std::span<const std::uint8_t> file,
                                    std::span<const PointerHit> pointers, std::vector<std::uint64_t> stringStarts) {
    std::sort(stringStarts.begin(), stringStarts.end());
    std::vector<bool> marks;
    marks.reserve(pointers.size());
    for (const PointerHit& pointer : pointers) {
        marks.push_back(sitsInPointerTable(mapping, file, 0, pointer, stringStarts));
    }
    return marks;
}

}  // namespace kinfold
