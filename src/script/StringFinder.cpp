#include "script/StringFinder.h"

namespace kinfold {

std::size_t StringFinder::feed(std::span<const std::uint8_t> bytes, std::uint64_t offset, bool last,
                               const ScriptSink& found) {
    const std::size_t n = bytes.size();
    // Positions before limit see every byte an entry there can take.
    const std::size_t limit = last ? n : (n >= kLookahead ? n - kLookahead + 1 : 0);
    std::size_t p = 0;
    while (p < limit) {
        const DecodeEntry* entry = table_.match(bytes.subspan(p));
        const bool fits = entry != nullptr && entry->span() <= n - p;
        if (!inString_) {
            if (!fits || entry->kind == EntryKind::End) {
                ++p;
                continue;
            }
            inString_ = true;
            stringOffset_ = offset + p;
            characters_ = 0;
            textFrom_ = p;
            carried_.clear();
        } else if (!fits) {
            finish(bytes, offset, p, false, found);
            ++p;  // nothing that starts here fits either
            continue;
        }
        characters_ += entry->characters;
        p += entry->span();
        if (entry->kind == EntryKind::End) finish(bytes, offset, p, true, found);
    }
    if (inString_) {
        if (last) {
            finish(bytes, offset, p, false, found);
        } else {
            // The text so far, while this block's bytes are still there.
            appendText(bytes, textFrom_, p, carried_);
            textFrom_ = 0;
        }
    }
    return p;
}

void StringFinder::finish(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t end, bool ended,
                          const ScriptSink& found) {
    inString_ = false;
    if (characters_ < minLength_) return;
    ScriptString string;
    string.offset = stringOffset_;
    string.length = offset + end - stringOffset_;
    string.ended = ended;
    string.text = std::move(carried_);
    carried_.clear();
    appendText(bytes, textFrom_, end, string.text);
    found(std::move(string));
}

void StringFinder::appendText(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to,
                              std::string& out) const {
    while (from < to) {
        const DecodeEntry* entry = table_.match(bytes.subspan(from, to - from));
        appendDecoded(*entry, bytes.subspan(from + entry->length, entry->parameters), out);
        from += entry->span();
    }
}

}  // namespace kinfold
