#pragma once

#include "search/MatchOptions.h"

#include <cstdint>
#include <map>
#include <string>

namespace kinfold {

// A character table: which text each unit of a file stands for. A unit is a
// value of the search width (one byte at 8 bits), read in the file's byte order.
class CharacterTable {
public:
    explicit CharacterTable(int unitBytes = 1, ByteOrder order = ByteOrder::Little)
        : unitBytes_(unitBytes), byteOrder_(order) {}

    int unitBytes() const { return unitBytes_; }
    ByteOrder byteOrder() const { return byteOrder_; }
    // The largest unit the width holds: 255 at 8 bits.
    std::uint32_t maxUnit() const;

    // Sets the text of a unit, replacing any it had.
    void set(std::uint32_t unit, std::string text) { entries_[unit] = std::move(text); }
    // The text of a unit, or nullptr when the table has none.
    const std::string* find(std::uint32_t unit) const;
    // Takes every entry of other, its texts winning where both have a unit.
    void merge(const CharacterTable& other);

    // In unit order, which is the order a table file lists them.
    const std::map<std::uint32_t, std::string>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }

    friend bool operator==(const CharacterTable&, const CharacterTable&) = default;

private:
    int unitBytes_;
    ByteOrder byteOrder_;
    std::map<std::uint32_t, std::string> entries_;
};

}  // namespace kinfold
