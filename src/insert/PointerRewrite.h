#pragma once

#include "insert/FreeSpace.h"
#include "pointers/PointerMapping.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kinfold {

// Which of the values a pointer to target may hold (PointerMapping::valuesOf)
// value is: 0 or 1 (nes 0x8000 or 0xC000, lorom bank b or b + 0x80, hirom
// 0xC00000 or 0x400000); nullopt when it is none of them.
std::optional<int> pointerForm(const PointerMapping& mapping, std::uint32_t value, std::uint64_t target);

// The value of the same form for a pointer to target; nullopt when the mapping has none there.
std::optional<std::uint32_t> valueOfForm(const PointerMapping& mapping, std::uint64_t target, int form);

// Writes value into the pointer's bytes, the mapping's width and byte order.
void storePointer(const PointerMapping& mapping, std::uint32_t value, std::span<std::uint8_t> bytes);

// Where a string at from whose pointers hold the forms up to form may move
// to, in offset order: anywhere a pointer of those forms reaches for the
// linear, gba and 24-bit SNES mappings; its own bank for the 16-bit banked
// ones, and for gb bank 0 as well, the fixed bank.
std::vector<ByteRange> reachableWindows(const PointerMapping& mapping, std::uint64_t from, std::uint64_t fileSize,
                                        int form);

// The boundaries a string must not cross under the mapping, origin + k * cut
// (cut 0 for none): its banks, and LoROM's 32 KiB banks at 24 bits, whose
// ends are no neighbours in the console's memory.
struct Boundaries {
    std::uint64_t origin = 0;
    std::uint64_t cut = 0;
};
Boundaries boundariesOf(const PointerMapping& mapping);

}  // namespace kinfold
