#pragma once

#include "pointers/PointerMapping.h"
#include "pointers/PointerSearch.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kinfold {

// Whether a pointer sits in a pointer table: the slot one pointer size before
// it or the one after it holds a pointer that leads to the start of a listed
// string. A neighbour's value is read in the bank of the pointer's own target
// (a table leads into one bank), and leads nowhere when the mapping places it
// outside the cartridge.
//
// bytes: the file's bytes from file offset `start` on, holding the slots on
// either side of the pointer where the file has them (a slot cut off by the
// end of bytes counts as none). stringStarts: sorted, the offsets of the
// strings listed.
bool sitsInPointerTable(const PointerMapping& mapping, std::span<const std::uint8_t> bytes, std::uint64_t start,
                        const PointerHit& pointer, std::span<const std::uint64_t> stringStarts);

// The same for many pointers of one file held whole in bytes, string starts
// in any order: one mark for each pointer, in their order.
std::vector<bool> markTablePointers(const PointerMapping& mapping, std::span<const std::uint8_t> file,
                                    std::span<const PointerHit> pointers, std::vector<std::uint64_t> stringStarts);

}  // namespace kinfold
