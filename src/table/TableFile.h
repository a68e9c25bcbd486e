#pragma once

#include "search/MatchOptions.h"
#include "table/CharacterTable.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kinfold {

// A unit as a table file writes it: its bytes as they lie in the file, two
// upper-case hex digits each ("41", or "4100" for 0x0041 little-endian).
std::string unitHex(std::uint32_t unit, int unitBytes, ByteOrder order);

// The bytes of a table file: one "HH=text" line per entry, in the order of
// the units' bytes, each text in UTF-8 and each line ended by LF.
std::string tableFileText(const CharacterTable& table);

// A table file read back, or why not: the 1-based number of the first line
// that is not a table line (0 when the fault is not a line's) and the reason.
struct TableFileRead {
    std::optional<CharacterTable> table;
    int line = 0;
    std::string reason;
};

// Reads the text of a table file whose units have the given width and byte
// order. Empty lines, CR before LF and a leading byte order mark are
// accepted; any other line must be hex digits for one unit, "=" and a
// non-empty UTF-8 text. A later line for the same unit wins.
TableFileRead parseTableFile(std::string_view text, int unitBytes, ByteOrder order);

// The same from a file on disk; a file too large to be a table is refused.
TableFileRead readTableFile(const std::filesystem::path& path, int unitBytes, ByteOrder order);

}  // namespace kinfold
