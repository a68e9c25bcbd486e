#pragma once

#include "script/PositionClasses.h"
#include "script/ScriptString.h"
#include "script/ScriptStrings.h"
#include "table/TableDecoder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kinfold {

// The strings of a range of bytes by the dump rule, fed a block at a time:
// - a string starts where an entry other than an end token matches;
// - it runs entry after entry until an end token (which it keeps), a
//   position no entry matches, or the end of the range (a control whose
//   parameters would run past it is left out);
// - it is kept when its normal entries' text holds at least minLength code
//   points, line breaks left out;
// - the search goes on right after it, or one byte on where nothing matched.
class StringFinder {
public:
    // The bytes an entry can take with its parameters: what a block keeps back for the next.
    static constexpr std::size_t kLookahead = kMaxEntryBytes + kMaxControlParameters;

    StringFinder(const TableDecoder& table, std::uint64_t minLength, Isa isa = bestIsa());

    // Finds the strings in bytes, which lie at offset in the file and follow
    // the bytes of the last call where it stopped; last says they reach the
    // end of the range. Gives the count of bytes it went through: all of them
    // when last, otherwise up to kLookahead - 1 fewer, which the next call
    // must start with. The strings are added to found.
    std::size_t feed(std::span<const std::uint8_t> bytes, std::uint64_t offset, bool last, ScriptStrings& found);
    // The same, each string handed to found on its own.
    std::size_t feed(std::span<const std::uint8_t> bytes, std::uint64_t offset, bool last, const ScriptSink& found);

private:
    // Goes through the bytes from p up to end and gives where it stopped (past
    // end when an entry there reaches further): plain bytes, bare line breaks
    // and end tokens and bytes no entry matches a stretch at a time, with no
    // branch a byte, and each special position the general way. It may start
    // a string and leave it open; the string open when it is called began in this block.
    std::size_t feedPlain(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t p, std::size_t end,
                          ScriptStrings& found);
    // feedPlain's way through a stretch up to stop when every plain byte's
    // text is one code point: note(from, to, ended) for each kept string that
    // ends in it, and the string left open at its stop.
    template <typename Note>
    void findRunsOfSingles(const Stretch& stretch, std::size_t stop, std::size_t p, bool& in, std::size_t& start,
                           std::uint64_t& characters, Note note) const;
    // Takes the entry at bytes[p] the general way and gives where the search goes on.
    std::size_t step(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t p, ScriptStrings& found);
    // Adds the string of the plain bytes and bare line breaks from bytes[from]
    // to bytes[to], the last a bare end token when ended; one that starts
    // before entered may hold entries of any kind. (A string of one-byte
    // texts, the common case, is written in line by feedPlain.)
    void add(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t from, std::size_t to,
             std::size_t entered, bool ended, ScriptStrings& found);
    void finish(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::size_t end, bool ended,
                ScriptStrings& found);
    // Appends the text of the entries from bytes[from] to bytes[to], which are whole entries.
    void appendText(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t to, std::string& out) const;

    const TableDecoder& table_;
    const PositionClasses classes_;
    const std::uint64_t minLength_;
    // When every plain byte's text is one byte of UTF-8: that byte for each, and "\n" for a bare line break.
    bool oneByteTexts_ = true;
    std::array<char, 256> oneByteText_{};
    bool inString_ = false;
    std::uint64_t stringOffset_ = 0;
    std::uint64_t characters_ = 0;
    std::size_t textFrom_ = 0;  // where the string's text not yet in carried_ starts in this block
    std::string carried_;       // its text from the blocks before
    std::string scratch_;       // a text being made
};

}  // namespace kinfold
