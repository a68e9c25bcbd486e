#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

// One line of a script to insert.
struct ScriptEntry {
    int line = 0;                          // 1-based
    std::uint64_t offset = 0;              // of the string
    std::optional<std::uint64_t> pointer;  // a pointer-table line's pointer
    std::string text;                      // line breaks as '\n', a backslash as itself, <$HH> as written
    std::string path;                      // the file the line names, empty when none
    // For messages: the text as the line holds it, and the line's column
    // (1-based, in characters) where it starts; escaped for a plain line, not for JSON.
    std::string written;
    std::size_t column = 1;
    bool escaped = true;
};

// A line that can't be taken, and why.
struct ScriptProblem {
    int line = 0;
    std::string reason;
};

struct ScriptRead {
    std::vector<ScriptEntry> entries;
    std::vector<ScriptProblem> problems;
};

// Reads the lines a dump prints, edited: "[PATH:]OFFSET (HEX hex)  TEXT",
// "[PATH:]OFFSET (HEX hex) <- POINTER (HEX hex)  TEXT", or JSON Lines with
// "offset", "text" and "pointer" (other fields passed over). In a plain
// line's text "\n" is a line break and "\\" a backslash; any other backslash
// stands for itself. Blank lines, lines starting with "#", and the lines a
// pointer-table dump writes for a pointer with no string are passed over.
// Lines that name two different files are refused: a script goes into one.
// UTF-8, with or without a byte order mark, lines ended by LF or CRLF.
ScriptRead readScript(std::string_view text);

// Whether a plain line gives text back whole: not one that ends with a
// carriage return, which a CRLF line end takes, nor a pointer line's text
// that reads as the note the dump writes for a pointer with no string.
bool plainLineKeeps(std::string_view text, bool pointerLine);

// The column (1-based, in characters of the line) of the byte at of an entry's text.
std::size_t columnOf(const ScriptEntry& entry, std::size_t at);

}  // namespace kinfold
