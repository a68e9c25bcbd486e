#pragma once

#include "pointers/PointerMapping.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kinfold {

class FileReader;

// Where a pointer table lies: count pointers of the mapping's size from offset on, no gaps.
struct PointerTablePlace {
    std::uint64_t offset = 0;
    std::uint64_t count = 0;
    // For the 16-bit banked mappings: the bank the pointers lead into;
    // nullopt for the bank the table lies in (its first byte's).
    std::optional<std::uint64_t> bank;
};

// One pointer of a table: where it lies, what it holds, and the file offset
// that leads to; nullopt when the value lies outside the cartridge's window.
// The target may lie past the end of the file.
struct TablePointer {
    std::uint64_t offset = 0;
    std::uint32_t value = 0;
    std::optional<std::uint64_t> target;

    friend bool operator==(const TablePointer&, const TablePointer&) = default;
};

// Called with each pointer in table order; false stops the reading there.
using TablePointerSink = std::function<bool(const TablePointer& pointer)>;

// Reads a pointer table of a file and turns each pointer back into a file
// offset. Gives why it could not, in words for the user naming the file
// (path), or an empty text: a table that runs past the end of the file is
// refused before any pointer is handed over; a failed read stops it.
std::string readPointerTable(const FileReader& reader, const std::string& path, const PointerMapping& mapping,
                             const PointerTablePlace& place, const TablePointerSink& sink);

}  // namespace kinfold
