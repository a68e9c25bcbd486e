#include "shell/preview/PlacedEntries.h"

#include <algorithm>

namespace kinfold {

std::vector<PlacedEntry> placedEntries(const TableDecoder& table, std::span<const std::uint8_t> bytes,
                                       std::size_t stepBytes) {
    stepBytes = std::max<std::size_t>(stepBytes, 1);
    std::vector<PlacedEntry> placed;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::span<const std::uint8_t> rest = bytes.subspan(at);
        const DecodeEntry* entry = table.match(rest);
        if (entry == nullptr || entry->span() > rest.size()) {
            at += std::min(stepBytes, rest.size());
            continue;
        }
        placed.push_back({at, entry->length, entry->span(), TableEntry{entry->kind, entry->text, entry->parameters}});
        at += entry->span();
    }
    return placed;
}

const PlacedEntry* entryCovering(const std::vector<PlacedEntry>& entries, std::size_t index) {
    // The last entry that starts at or before index.
    const auto after = std::upper_bound(entries.begin(), entries.end(), index,
                                        [](std::size_t i, const PlacedEntry& e) { return i < e.at; });
    if (after == entries.begin()) return nullptr;
    const PlacedEntry& e = *(after - 1);
    return index < e.at + e.span ? &e : nullptr;
}

void markEndTokens(std::vector<std::string>& cells, const std::vector<PlacedEntry>& entries, std::size_t columnBytes) {
    columnBytes = std::max<std::size_t>(columnBytes, 1);
    for (const PlacedEntry& e : entries) {
        if (e.entry.kind != EntryKind::End || !e.entry.text.empty()) continue;
        // The first column that starts within the entry, as decodeColumns fills them.
        const std::size_t column = (e.at + columnBytes - 1) / columnBytes;
        if (column < cells.size() && column * columnBytes < e.at + e.span) cells[column] = std::string(kEndTokenCell);
    }
}

}  // namespace kinfold
