#pragma once

#include "search/MatchOptions.h"
#include "table/CharacterTable.h"
#include "table/CodeTable.h"
#include "table/TableEncoding.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kinfold {

// A unit as a table file writes it: its bytes as they lie in the file, two
// upper-case hex digits each ("41", or "4100" for 0x0041 little-endian).
std::string unitHex(std::uint32_t unit, int unitBytes, ByteOrder order);

// Bytes as a table file writes them: two upper-case hex digits each.
std::string bytesHex(const EntryBytes& bytes);

// One entry as its table file line, without the line end: "HEX=text" (a
// line break in the text as "\n"), "/HEX[=text]", "*HEX[=text]" or "$HEX=label,N".
std::string tableFileLine(const EntryBytes& bytes, const TableEntry& entry);

// The bytes of a table file: one line per entry in the order of their bytes,
// in UTF-8, each ended by LF.
std::string tableFileText(const CodeTable& table);
// A table of units written as its normal entries: one "HH=text" line per unit.
std::string tableFileText(const CharacterTable& table);

// One line of a table file as the reader takes it, without its line end:
// passed over (blank, a comment "#...", a table name "@...", a bookmark
// "(HEXh)..."), an entry as tableFileLine writes it, or refused with the reason.
struct TableFileLine {
    enum class Kind { PassedOver, Entry, Refused };
    Kind kind = Kind::PassedOver;
    EntryBytes bytes;     // Entry
    TableEntry entry;     // Entry
    std::string refusal;  // Refused
};
TableFileLine readTableFileLine(std::string_view line);

// A table file read back, or why not: the 1-based number of the first line
// that is not a table line (0 when the fault is not a line's) and the reason.
struct TableFileRead {
    std::optional<CodeTable> table;
    int line = 0;
    std::string reason;
    TableEncoding encoding = TableEncoding::Utf8;  // the one the file was read in
};

// Reads the bytes of a table file: UTF-8 with or without a byte order mark,
// UTF-16 after its byte order mark, or Shift JIS when it is not UTF-8 and
// reads as Shift JIS (see TableEncoding.h). Lines are ended by LF or CRLF
// (every CR before the LF ends the line) and read by readTableFileLine. A
// later line for the same bytes wins.
TableFileRead parseTableFile(std::string_view text);

// The same from a file on disk; a file too large to be a table is refused.
TableFileRead readTableFile(const std::filesystem::path& path);

}  // namespace kinfold
