#include "table/CodeTable.h"

#include <algorithm>

namespace kinfold {

bool EntryBytesOrder::operator()(const EntryBytes& a, const EntryBytes& b) const {
    // Byte by byte, not memcmp: GCC 12 warns of bounds it imagines for vectors compared whole.
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] != b[i]) return a[i] < b[i];
    }
    return a.size() < b.size();
}

const TableEntry* CodeTable::find(const EntryBytes& bytes) const {
    const auto it = entries_.find(bytes);
    return it == entries_.end() ? nullptr : &it->second;
}

void CodeTable::merge(const CodeTable& other) {
    for (const auto& [bytes, entry] : other.entries_) {
        entries_[bytes] = entry;
    }
}

EntryBytes unitBytesOf(std::uint32_t unit, int unitBytes, ByteOrder order) {
    EntryBytes bytes(static_cast<std::size_t>(unitBytes));
    for (int k = 0; k < unitBytes; ++k) {
        const int shift = 8 * (order == ByteOrder::Little ? k : unitBytes - 1 - k);
        bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>((unit >> shift) & 0xFFu);
    }
    return bytes;
}

CodeTable codeTableOf(const CharacterTable& units) {
    CodeTable table;
    for (const auto& [unit, text] : units.entries()) {
        table.set(unitBytesOf(unit, units.unitBytes(), units.byteOrder()), TableEntry{EntryKind::Normal, text, 0});
    }
    return table;
}

}  // namespace kinfold
