#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kinfold {

// The bytes a table entry stands for, as they lie in the file: 1 to 8 of them.
using EntryBytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kMaxEntryBytes = 8;
inline constexpr int kMaxControlParameters = 8;

enum class EntryKind {
    Normal,     // text; a '\n' in it is a line break
    End,        // ends a string after it; its text (maybe none) shown where it stands
    LineBreak,  // its text (maybe none), then a line break
    Control,    // its label, then each of its parameter bytes as <$HH>
};

// What a sequence of bytes decodes as.
struct TableEntry {
    EntryKind kind = EntryKind::Normal;
    // Normal: the text, with real line breaks. End, LineBreak: the text shown,
    // empty for none. Control: the label.
    std::string text;
    int parameters = 0;  // Control: the bytes after the code that belong to it

    friend bool operator==(const TableEntry&, const TableEntry&) = default;
};

}  // namespace kinfold
