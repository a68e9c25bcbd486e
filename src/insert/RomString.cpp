#include "insert/RomString.h"

namespace kinfold {

RomString romStringAt(std::span<const std::uint8_t> rom, const TableDecoder& table, std::uint64_t offset) {
    RomString string;
    string.offset = offset;
    auto p = static_cast<std::size_t>(offset);
    while (p < rom.size()) {
        const DecodeEntry* entry = table.match(rom.subspan(p));
        if (entry == nullptr || entry->span() > rom.size() - p) break;
        appendDecoded(*entry, rom.subspan(p + entry->length, entry->parameters), string.text);
        p += entry->span();
        if (entry->kind == EntryKind::End) {
            string.ended = true;
            string.endLength = entry->length;
            break;
        }
    }
    string.length = p - offset;
    return string;
}

}  // namespace kinfold
