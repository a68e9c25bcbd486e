#include "script/StringAt.h"

#include "script/StringFinder.h"
#include "search/FileReader.h"

#include <algorithm>
#include <span>
#include <vector>

namespace kinfold {

StringAtRead stringAt(const FileReader& reader, const TableDecoder& table, std::uint64_t offset,
                      std::size_t blockSize) {
    StringAtRead read;
    ScriptString& string = read.string;
    string.offset = offset;
    const std::uint64_t size = reader.size();
    std::vector<std::uint8_t> buffer(std::max(blockSize, StringFinder::kLookahead));
    std::uint64_t at = offset;  // the offset of buffer[0]
    while (at < size) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
        const PositionalRead got = reader.readAt(at, std::span(buffer).first(want));
        if (got.got < want) {
            read.reason = got.reason;
            break;
        }
        const bool last = at + want == size;
        // Positions before limit see every byte an entry there can take; the rest wait for the next block.
        const std::size_t limit = last ? want : want - StringFinder::kLookahead + 1;
        const std::span<const std::uint8_t> bytes(buffer.data(), want);
        std::size_t p = 0;
        bool over = false;
        while (p < limit) {
            const DecodeEntry* entry = table.match(bytes.subspan(p));
            if (entry == nullptr || entry->span() > want - p) {
                over = true;
                break;
            }
            appendDecoded(*entry, bytes.subspan(p + entry->length, entry->parameters), string.text);
            p += entry->span();
            if (entry->kind == EntryKind::End) {
                string.ended = true;
                over = true;
                break;
            }
        }
        at += p;
        if (over || last) break;
    }
    string.length = at - offset;
    return read;
}

}  // namespace kinfold
