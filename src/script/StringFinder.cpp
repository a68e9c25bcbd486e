#include "script/StringFinder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kinfold {

StringFinder::StringFinder(const TableDecoder& table, std::uint64_t minLength, Isa isa)
    : table_(table), classes_(table, isa), minLength_(minLength) {
    oneByteTexts_ = table.plainTextsAreSingle();
    for (int byte = 0; byte < 256 && oneByteTexts_; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        if ((table.byteClass(b) & (TableDecoder::kPlainByte | TableDecoder::kBareBreak)) == 0) continue;
        oneByteTexts_ = table.plainUtf8Length(b) == 1;
        oneByteText_[b] = *table.plainUtf8(b);
    }
}

std::size_t StringFinder::feed(std::span<const std::uint8_t> bytes, std::uint64_t offset, bool last,
                               const ScriptSink& found) {
    // A slice at a time, so that the strings waiting to be handed on stay few.
    constexpr std::size_t kSlice = std::size_t{64} << 10;
    static_assert(kSlice >= kLookahead);
    ScriptStrings strings;
    std::size_t p = 0;
    while (true) {
        const std::size_t n = std::min(kSlice, bytes.size() - p);
        const bool lastSlice = p + n == bytes.size();
        p += feed(bytes.subspan(p, n), offset + p, last && lastSlice, strings);
        for (std::size_t k = 0; k < strings.size(); ++k) found(strings.string(k));
        strings.clear();
        if (lastSlice) return p;
    }
}

std::size_t StringFinder::feed(std::span<const std::uint8_t> bytes, std::uint64_t offset, bool last,
                               ScriptStrings& found) {
    const std::size_t n = bytes.size();
    // Positions before limit see every byte an entry there can take.
    const std::size_t limit = last ? n : (n >= kLookahead ? n - kLookahead + 1 : 0);
    std::size_t p = 0;
    while (p < limit) {
        if (!inString_ || stringOffset_ >= offset) {
            // The last byte has no next one to rule out a longer entry: it takes the general way.
            p = feedPlain(bytes, offset, p, std::min(limit, n - 1), found);
            if (p >= limit) break;
        }
        p = step(bytes, offset, p, found);
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

std::size_t StringFinder::step(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t p,
                               ScriptStrings& found) {
    const DecodeEntry* entry = table_.match(bytes.subspan(p));
    const bool fits = entry != nullptr && entry->span() <= bytes.size() - p;
    if (!inString_) {
        if (!fits || entry->kind == EntryKind::End) return p + 1;
        inString_ = true;
        stringOffset_ = offset + p;
        characters_ = 0;
        textFrom_ = p;
        carried_.clear();
    } else if (!fits) {
        finish(bytes, offset, p, false, found);
        return p + 1;  // nothing that starts here fits either
    }
    characters_ += entry->characters;
    p += entry->span();
    if (entry->kind == EntryKind::End) finish(bytes, offset, p, true, found);
    return p;
}

namespace {

// The positions below n (at most 64), a bit each, without a branch.
std::uint64_t below(std::size_t n) {
    return ((std::uint64_t{1} << (n & 63)) - 1) | (std::uint64_t{0} - static_cast<std::uint64_t>(n >= 64));
}

// The code points of a run of plain bytes from position s to e, when each
// plain byte's text is one: its length bar its line breaks, which are few
// (a generic build counts bits through a call).
std::uint64_t charactersOf(std::size_t s, std::size_t e, std::uint64_t breaks) {
    const std::uint64_t in = breaks & below(e) & ~below(s);
    return e - s - (in == 0 ? 0 : static_cast<std::uint64_t>(std::popcount(in)));
}

// Where the run of plain bytes that holds the bit before position e starts
// (countl_zero gives 64 when there is no gap before it).
std::size_t runStart(std::uint64_t plain, std::size_t e) {
    return static_cast<std::size_t>(64 - std::countl_zero(~plain & below(e)));
}

}  // namespace

template <typename Note>
void StringFinder::findRunsOfSingles(const Stretch& stretch, std::size_t stop, std::size_t p, bool& in,
                                     std::size_t& start, std::uint64_t& characters, Note note) const {
    // A character a plain byte, none a line break: a run is kept when it is
    // minLength_ bytes long, which shifts and ands find for all the runs of
    // the stretch at once, and, in the few runs that hold a line break, as
    // many of its bytes count. An end token just after a run closes it.
    // The branches here follow random bytes: what needs no branch takes none.
    std::uint64_t plain = stretch.plain;
    const auto endsAt = [&](std::size_t e) { return static_cast<std::size_t>((stretch.ends >> e) & 1); };
    if (in) {
        const std::uint64_t ending = ~plain & below(stop);
        if (ending == 0) {
            characters += charactersOf(0, stop, stretch.breaks);
            return;
        }
        const auto e = static_cast<std::size_t>(std::countr_zero(ending));
        characters += charactersOf(0, e, stretch.breaks);
        const std::size_t ended = endsAt(e);
        if (characters >= minLength_) note(start, p + e + ended, ended != 0);
        in = false;
        plain &= ~below(e);
    }
    if (minLength_ <= 64) {
        std::uint64_t longEnough = plain;
        for (std::uint64_t have = 1; have < minLength_;) {
            const std::uint64_t shift = std::min(have, minLength_ - have);
            longEnough &= longEnough << shift;
            have += shift;
        }
        for (std::uint64_t last = ~plain & (longEnough << 1) & below(stop); last != 0; last &= last - 1) {
            const auto e = static_cast<std::size_t>(std::countr_zero(last));
            const std::size_t s = runStart(plain, e);
            if (stretch.breaks != 0 && charactersOf(s, e, stretch.breaks) < minLength_) continue;
            const std::size_t ended = endsAt(e);
            note(p + s, p + e + ended, ended != 0);
        }
    }
    // in is false here: a string is left open when the stretch ends in a plain byte.
    const bool open = (stop > 0) & (((plain >> ((stop - 1) & 63)) & 1) != 0);
    const std::size_t s = runStart(plain, stop);
    in = open;
    start = open ? p + s : start;
    characters = open ? charactersOf(s, stop, stretch.breaks) : characters;
}

std::size_t StringFinder::feedPlain(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t p,
                                    std::size_t end, ScriptStrings& found) {
    const std::uint8_t* data = bytes.data();
    std::size_t entered = p;  // a string open before here may hold entries of any kind
    const bool single = table_.plainTextsAreSingle();
    bool in = inString_;
    std::size_t start = in ? static_cast<std::size_t>(stringOffset_ - offset) : 0;
    std::uint64_t characters = in ? characters_ : 0;
    std::uint32_t before[65];  // the characters of the stretch's plain bytes before each position
    // The string open here, handed to the general way and taken back from it.
    const auto handOn = [&] {
        inString_ = in;
        if (in) {
            stringOffset_ = offset + start;
            characters_ = characters;
            textFrom_ = start;
            carried_.clear();
        }
    };
    const auto takeBack = [&] {
        in = inString_;
        if (in) {
            start = static_cast<std::size_t>(stringOffset_ - offset);
            characters = characters_;
        }
    };
    // Stretches are sorted a batch at a time; the stretch at p is gone through
    // from at on (an entry the general way took may reach into it).
    constexpr std::size_t kWidth = PositionClasses::kWidth;
    constexpr std::size_t kBatch = 16;
    Stretch stretches[kBatch];
    std::size_t sorted = 0;
    std::size_t taken = 0;
    std::size_t at = 0;
    while (p + at < end) {
        const std::size_t width = std::min(kWidth, end - p);
        if (taken == sorted) {
            const std::size_t whole = std::min(kBatch, (end - p) / kWidth);
            if (whole > 0) {
                classes_.classify(data + p, whole, stretches);
                sorted = whole;
            } else {
                stretches[0] = classes_.classify(data + p, width);
                sorted = 1;
            }
            taken = 0;
        }
        const Stretch& stretch = stretches[taken++];
        if (!single) {
            before[0] = 0;
            for (std::size_t i = 0; i < width; ++i) {
                before[i + 1] = before[i] + table_.plainCharacters(data[p + i]);
            }
        }
        const auto count = [&](std::size_t from, std::size_t to) -> std::uint64_t {
            return single ? to - from : before[to] - before[from];
        };
        // Each kept string's text is written as soon as its end is known.
        const auto note = [&](std::size_t from, std::size_t to, bool ended) {
            if (oneByteTexts_ && from >= entered && to + 8 <= bytes.size()) {
                // The common case in line: a byte of text a byte, eight at a
                // time, those past the end written over, an end token's too.
                const std::size_t length = to - from;
                const std::uint8_t* const source = data + from;
                char* const out = found.room(length + 8);
                for (std::size_t k = 0; k < length; k += 8) {
                    // Put together in a word, stored at once.
                    std::uint64_t eight = 0;
                    for (std::size_t j = 0; j < 8; ++j) {
                        const std::size_t lane = std::endian::native == std::endian::little ? 8 * j : 56 - 8 * j;
                        eight |= std::uint64_t{static_cast<std::uint8_t>(oneByteText_[source[k + j]])} << lane;
                    }
                    std::memcpy(out + k, &eight, 8);
                }
                found.added(offset + from, length, length - static_cast<std::size_t>(ended), ended);
                return;
            }
            add(bytes, offset, from, to, entered, ended, found);
        };
        while (true) {
            // Up to the next special position, or the stretch's end (countr_zero gives 64 when none is left).
            const std::size_t stop =
                std::min(static_cast<std::size_t>(std::countr_zero(stretch.special & ~below(at))), width);
            if (single) {
                const Stretch rest{stretch.plain >> at, stretch.breaks >> at, stretch.ends >> at, 0};
                findRunsOfSingles(rest, stop - at, p + at, in, start, characters, note);
            } else {
                // From run to run of plain bytes, two bit scans each.
                const std::uint64_t plain = stretch.plain & below(stop);
                std::size_t from = at;  // where the characters of the open string not yet counted start
                while (at < stop) {
                    if (!in) {
                        const std::uint64_t starting = plain >> at;
                        if (starting == 0) break;
                        at += static_cast<std::size_t>(std::countr_zero(starting));
                        in = true;
                        start = p + at;
                        characters = 0;
                        from = at;
                    }
                    const std::uint64_t ending = ~plain >> at;
                    const std::size_t e = ending == 0 ? 64 : at + static_cast<std::size_t>(std::countr_zero(ending));
                    if (e >= stop) break;
                    characters += count(from, e);
                    const bool ended = ((stretch.ends >> e) & 1) != 0;
                    if (characters >= minLength_) note(start, p + e + ended, ended);
                    in = false;
                    at = e;
                }
                if (in) characters += count(from, stop);
            }
            if (stop == width) {
                at = width;
                break;
            }
            // A special position: the general way takes its entry, and the
            // stretch goes on after it without being sorted again.
            handOn();
            const std::size_t next = step(bytes, offset, p + stop, found);
            takeBack();
            entered = next;  // a string open here may hold that entry
            at = next - p;
            if (at >= width) break;
        }
        p += width;
        at -= width;
    }
    handOn();
    return p + at;
}

void StringFinder::add(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t from, std::size_t to,
                       std::size_t entered, bool ended, ScriptStrings& found) {
    const std::size_t length = to - from;
    // The entries up to entered the general way, the plain bytes after them a byte at a time.
    scratch_.clear();
    const std::size_t plainFrom = std::max(from, entered);
    if (from < entered) appendText(bytes, from, entered, scratch_);
    const TableDecoder& table = table_;
    const std::uint8_t* const data = bytes.data() + plainFrom;
    const std::size_t plainLength = to - plainFrom;
    if (!table.plainTextsAreSingle()) {
        // Plain bytes and bare line breaks, each its own entry, and perhaps an end token.
        for (std::size_t k = 0; k < plainLength - static_cast<std::size_t>(ended); ++k) {
            if ((table.byteClass(data[k]) & TableDecoder::kPlainByte) != 0) {
                scratch_ += table.plainText(data[k]);
            } else {
                scratch_ += '\n';
            }
        }
        found.add(offset + from, length, scratch_, ended);
        return;
    }
    // Four bytes copied for each character into room that has them to spare
    // (an end token's none).
    char* const first = found.room(scratch_.size() + 4 * plainLength + 4);
    std::memcpy(first, scratch_.data(), scratch_.size());
    char* out = first + scratch_.size();
    if (to + 8 <= bytes.size()) {
        // Eight characters at a time, those past the end written over: no branch a character.
        for (std::size_t k = 0; k < plainLength; k += 8) {
            for (std::size_t j = 0; j < 8; ++j) {
                const std::uint8_t byte = data[k + j];
                std::memcpy(out, table.plainUtf8(byte), 4);
                out += table.plainUtf8Length(byte) & (std::size_t{0} - static_cast<std::size_t>(k + j < plainLength));
            }
        }
    } else {
        for (std::size_t k = 0; k < plainLength; ++k) {
            std::memcpy(out, table.plainUtf8(data[k]), 4);
            out += table.plainUtf8Length(data[k]);
        }
    }
    found.added(offset + from, length, static_cast<std::size_t>(out - first), ended);
}

void StringFinder::finish(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t end, bool ended,
                          ScriptStrings& found) {
    inString_ = false;
    if (characters_ < minLength_) return;
    appendText(bytes, textFrom_, end, carried_);
    found.add(stringOffset_, offset + end - stringOffset_, carried_, ended);
    carried_.clear();
}

void StringFinder::appendText(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to,
                              std::string& out) const {
    constexpr std::uint8_t kOneByte = TableDecoder::kPlainByte | TableDecoder::kBareBreak;
    while (from < to) {
        const std::uint8_t byte = bytes[from];
        if (oneByteTexts_ && (table_.byteClass(byte) & kOneByte) != 0 &&
            (from + 1 == to || !table_.longerStartsWith(byte, bytes[from + 1]))) {
            // A plain byte or a bare line break, its text one byte.
            out += oneByteText_[byte];
            ++from;
            continue;
        }
        const DecodeEntry* entry = table_.match(bytes.subspan(from, to - from));
        appendDecoded(*entry, bytes.subspan(from + entry->length, entry->parameters), out);
        from += entry->span();
    }
}

}  // namespace kinfold
