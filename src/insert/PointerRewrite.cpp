#include "insert/PointerRewrite.h"

#include <algorithm>

namespace kinfold {

std::optional<int> pointerForm(const PointerMapping& mapping, std::uint32_t value, std::uint64_t target) {
    const PointerValues values = mapping.valuesOf(target);
    for (int k = 0; k < values.count; ++k) {
        if (values.value[k] == value) return k;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> valueOfForm(const PointerMapping& mapping, std::uint64_t target, int form) {
    const PointerValues values = mapping.valuesOf(target);
    if (form >= values.count) return std::nullopt;
    return values.value[form];
}

void storePointer(const PointerMapping& mapping, std::uint32_t value, std::span<std::uint8_t> bytes) {
    const int size = mapping.pointerBytes();
    for (int k = 0; k < size; ++k) {
        const int shift = 8 * (mapping.byteOrder() == ByteOrder::Big ? size - 1 - k : k);
        bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> shift);
    }
}

std::vector<ByteRange> reachableWindows(const PointerMapping& mapping, std::uint64_t from, std::uint64_t fileSize,
                                        int form) {
    std::vector<ByteRange> windows;
    const std::uint64_t header = mapping.headerSize();
    if (mapping.banked()) {
        const std::optional<std::uint64_t> bank = mapping.bankOf(from);
        if (!bank) return windows;
        const auto bankWindow = [&](std::uint64_t b) {
            const std::uint64_t start = header + b * mapping.bankSize();
            if (start < fileSize) windows.push_back({start, std::min(fileSize, start + mapping.bankSize())});
        };
        if (mapping.kind() == MappingKind::Gb && *bank != 0) bankWindow(0);
        bankWindow(*bank);
        return windows;
    }
    // A pointer of the form reaches from the header up to some offset: the first one it can't reach.
    const auto reaches = [&](std::uint64_t offset) { return valueOfForm(mapping, offset, form).has_value(); };
    if (header >= fileSize || !reaches(header)) return windows;
    std::uint64_t low = header;     // reached
    std::uint64_t high = fileSize;  // not reached, or the end
    if (reaches(fileSize - 1)) {
        low = fileSize;
    }
    while (high - low > 1 && low < fileSize) {
        const std::uint64_t middle = low + (high - low) / 2;
        (reaches(middle) ? low : high) = middle;
    }
    windows.push_back({header, low >= fileSize ? fileSize : low + 1});
    return windows;
}

Boundaries boundariesOf(const PointerMapping& mapping) {
    if (mapping.banked()) return {mapping.headerSize(), mapping.bankSize()};
    if (mapping.kind() == MappingKind::SnesLorom) return {mapping.headerSize(), 0x8000};
    return {};
}

}  // namespace kinfold
