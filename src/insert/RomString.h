#pragma once

#include "table/TableDecoder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kinfold {

// The string at an offset of a ROM held in memory, by the dump's rule as
// stringAt reads it: entry after entry until an end token (which it keeps),
// a position no entry matches, or the end of the ROM (a control whose
// parameters would run past it is left out).
struct RomString {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;  // its bytes, an end token's included; 0 when no entry matches at offset
    std::string text;
    bool ended = false;          // an end token closed it
    std::uint8_t endLength = 0;  // the end token's bytes
};

// offset lies within rom.
RomString romStringAt(std::span<const std::uint8_t> rom, const TableDecoder& table, std::uint64_t offset);

}  // namespace kinfold
