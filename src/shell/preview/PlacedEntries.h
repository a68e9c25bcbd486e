#pragma once

#include "table/TableDecoder.h"
#include "table/TableEntry.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

// What an end token with no text of its own shows as in a column one
// character wide: a mark of its own, unlike a byte no entry matches.
inline constexpr std::string_view kEndTokenCell = "\u220E";

// An entry where it decodes in a run of bytes.
struct PlacedEntry {
    std::size_t at = 0;      // its first byte
    std::size_t length = 0;  // the bytes of its code
    std::size_t span = 0;    // with its parameters
    TableEntry entry;
};

// The entries bytes decode as from the first byte, by longest match as the
// preview's views decode them (a step of stepBytes where none matches).
std::vector<PlacedEntry> placedEntries(const TableDecoder& table, std::span<const std::uint8_t> bytes,
                                       std::size_t stepBytes);

// The entry whose code or parameters hold the byte at index, or nullptr.
const PlacedEntry* entryCovering(const std::vector<PlacedEntry>& entries, std::size_t index);

// Puts kEndTokenCell in the first column of each end token with no text,
// in columns of columnBytes bytes as decodeColumns makes them.
void markEndTokens(std::vector<std::string>& cells, const std::vector<PlacedEntry>& entries, std::size_t columnBytes);

}  // namespace kinfold
