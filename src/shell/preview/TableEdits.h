#pragma once

#include "table/CodeTable.h"

#include <map>
#include <set>
#include <string>

namespace kinfold {

// What the user gave the table of each file the preview shows: a table
// opened, entries set, inferred entries taken away. It stays with the file it
// was made for: another file starts from its own inferred table, and coming
// back finds the edits as they were.
class TableEdits {
public:
    // The file the edits below are for; the edits of the file before are kept.
    void switchTo(const std::string& file);
    const std::string& file() const { return file_; }

    // A table opened for the current file: the edits before it are dropped.
    void open(CodeTable table, std::string name);
    // Sets an entry, or takes an entry away (an inferred one too).
    void set(const EntryBytes& bytes, TableEntry entry);
    void remove(const EntryBytes& bytes);

    // The table in force: what one hit implies, outranked by what the user
    // knows of the game.
    CodeTable applyTo(CodeTable inferred) const;
    // The opened table's name, empty for none.
    const std::string& name() const { return current_.name; }
    // Whether an entry was set or taken away since the file's table was opened.
    bool edited() const { return current_.edited; }

private:
    struct FileTable {
        CodeTable table;  // opened, with the entries set since
        std::string name;
        std::set<EntryBytes, EntryBytesOrder> removed;  // taken away, inferred ones too
        bool edited = false;
    };

    std::string file_;
    FileTable current_;
    std::map<std::string, FileTable> others_;
};

}  // namespace kinfold
