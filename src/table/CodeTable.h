#pragma once

#include "table/CharacterTable.h"
#include "table/TableEntry.h"

#include <map>

namespace kinfold {

// Orders bytes as their hex spells them: a shorter run before a longer one it starts.
struct EntryBytesOrder {
    bool operator()(const EntryBytes& a, const EntryBytes& b) const;
};

// A table as table files hold it: entries keyed by the bytes they stand for,
// of any length from 1 to 8 and any kind.
class CodeTable {
public:
    // Sets the entry for bytes (1 to kMaxEntryBytes of them), replacing any they had.
    void set(EntryBytes bytes, TableEntry entry) { entries_[std::move(bytes)] = std::move(entry); }
    // Takes away the entry for exactly these bytes, if there is one.
    void erase(const EntryBytes& bytes) { entries_.erase(bytes); }
    // The entry for exactly these bytes, or nullptr.
    const TableEntry* find(const EntryBytes& bytes) const;
    // Takes every entry of other, its entries winning where both have the same bytes.
    void merge(const CodeTable& other);

    // In the order of their bytes, which is the order a table file lists them.
    const std::map<EntryBytes, TableEntry, EntryBytesOrder>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    friend bool operator==(const CodeTable&, const CodeTable&) = default;

private:
    std::map<EntryBytes, TableEntry, EntryBytesOrder> entries_;
};

// The bytes of a unit as they lie in a file of the table's byte order.
EntryBytes unitBytesOf(std::uint32_t unit, int unitBytes, ByteOrder order);

// A table of units as normal entries keyed by each unit's bytes.
CodeTable codeTableOf(const CharacterTable& units);

}  // namespace kinfold
