#pragma once

#include "pointers/PointerTable.h"
#include "script/ScriptDump.h"
#include "script/ScriptString.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kinfold::cli {

// The lines of a range's strings, made on the threads that find them, for
// the file named path: with json false one a string,
//   PATH:OFFSET (HEX hex)  TEXT
// as the script window's lines are; with json true JSON Lines,
//   {"path":...,"offset":...,"length":...,"text":...,"ended":...}
ScriptStringsFormat dumpLines(const std::string& path, bool json);

// Appends the line of one pointer of a pointer table: its string, or why it
// has none (the pointer leads outside the file, which is size bytes long).
// Text:
//   PATH:OFFSET (HEX hex) <- POINTER (HEX hex)  TEXT
//   PATH:OFFSET (HEX hex) <- POINTER (HEX hex)  (no table entry matches here)
//   PATH:- <- POINTER (HEX hex)  (outside the file: ...)
// JSON: path, offset (null when outside), pointer, and length, text and
// ended, or outside with the reason.
void appendTableLine(const std::string& path, const TablePointer& pointer, const std::optional<ScriptString>& string,
                     std::uint64_t size, bool json, std::string& text);

}  // namespace kinfold::cli
