#pragma once

#include "table/CodeTable.h"
#include "table/TableDocument.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kinfold {

// What the user gave the table of each file the preview shows: a table
// opened, entries set, inferred entries taken away, and the history of those
// edits for undo and redo. It stays with the file it was made for: another
// file starts from its own inferred table, and coming back finds the edits
// (and their history) as they were.
class TableEdits {
public:
    // The file the edits below are for; the edits of the file before are kept.
    void switchTo(const std::string& file);
    const std::string& file() const { return file_; }

    // A table opened for the current file: the edits before it are dropped,
    // and so is their history. document: the file as its user wrote it, for
    // saving it back that way.
    void open(CodeTable table, std::string name, std::shared_ptr<const TableDocument> document = nullptr);
    // The opened table's file, if it was opened from one.
    const TableDocument* document() const { return current_.document.get(); }
    // Sets an entry, or takes an entry away (an inferred one too): one step
    // of the history each, made at a file offset (where the chosen bytes lay),
    // and a step taken back can no longer be made again.
    void set(const EntryBytes& bytes, TableEntry entry, std::uint64_t at = 0);
    void remove(const EntryBytes& bytes, std::uint64_t at = 0);

    // Where a step was made: the offset of the chosen bytes, and how many they were.
    struct Place {
        std::uint64_t at = 0;
        std::size_t bytes = 0;
    };
    // Takes the last step back, or makes the last step taken back again:
    // where the step was made, none when there is no step to take.
    std::optional<Place> undo();
    std::optional<Place> redo();
    bool canUndo() const { return !current_.done.empty(); }
    bool canRedo() const { return !current_.undone.empty(); }

    // The table in force: what one hit implies, outranked by what the user
    // knows of the game.
    CodeTable applyTo(CodeTable inferred) const;
    // The opened table's name, empty for none.
    const std::string& name() const { return current_.name; }
    // Whether an entry was set or taken away since the file's table was opened.
    bool edited() const { return current_.edited; }

private:
    // What the edits hold for one run of bytes.
    struct Slot {
        std::optional<TableEntry> entry;  // set (or opened)
        bool removed = false;             // taken away
    };
    struct Step {
        EntryBytes bytes;
        std::uint64_t at = 0;
        Slot before;
        Slot after;
        bool editedBefore = false;
    };
    struct FileTable {
        CodeTable table;  // opened, with the entries set since
        std::string name;
        std::shared_ptr<const TableDocument> document;
        std::set<EntryBytes, EntryBytesOrder> removed;  // taken away, inferred ones too
        bool edited = false;
        std::vector<Step> done;
        std::vector<Step> undone;
    };

    Slot slotOf(const EntryBytes& bytes) const;
    void put(const EntryBytes& bytes, const Slot& slot);
    void record(const EntryBytes& bytes, std::uint64_t at, Slot after);

    std::string file_;
    FileTable current_;
    std::map<std::string, FileTable> others_;
};

}  // namespace kinfold
