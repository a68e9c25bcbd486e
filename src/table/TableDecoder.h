#pragma once

#include "table/CodeTable.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace kinfold {

// An entry made ready for decoding.
struct DecodeEntry {
    EntryKind kind = EntryKind::Normal;
    std::uint8_t length = 1;       // the bytes of the code
    std::uint8_t parameters = 0;   // the bytes after it that belong to it
    std::uint32_t characters = 0;  // Normal: the code points of its text, line breaks left out
    std::string text;

    // The code and its parameters.
    std::size_t span() const { return std::size_t{length} + parameters; }
};

// A table indexed for decoding by longest match: the entries of one byte in
// an array, longer ones by their first two bytes and then in one hash map per
// length, so that a position costs a few lookups however large the table.
class TableDecoder {
public:
    explicit TableDecoder(const CodeTable& table);

    // The longest entry whose code lies at the start of bytes, or nullptr.
    // A control's parameters may run past the end of bytes: the caller checks.
    const DecodeEntry* match(std::span<const std::uint8_t> bytes) const {
        if (bytes.empty()) return nullptr;
        const std::uint8_t first = bytes[0];
        if (bytes.size() >= 2 && longerStarts_[std::size_t{first} << 8 | bytes[1]]) {
            if (const DecodeEntry* longer = matchLonger(bytes)) return longer;
        }
        const std::int32_t single = single_[first];
        return single < 0 ? nullptr : &entries_[static_cast<std::size_t>(single)];
    }

    std::size_t size() const { return entries_.size(); }

    // For scanning many positions at once: what a byte's own entry is, and
    // whether a longer entry starts with it (then longerStartsWith tells
    // whether one starts with it and the next byte).
    static constexpr std::uint8_t kPlainByte = 1;    // a normal entry
    static constexpr std::uint8_t kSpecialByte = 2;  // an entry of another kind, but for the two below
    static constexpr std::uint8_t kLongerByte = 4;   // the first byte of a longer entry
    static constexpr std::uint8_t kSecondByte = 8;   // the second byte of a longer entry
    static constexpr std::uint8_t kBareBreak = 16;   // a line break with no text of its own
    static constexpr std::uint8_t kBareEnd = 32;     // an end token with no text of its own
    std::uint8_t byteClass(std::uint8_t byte) const { return byteClasses_[byte]; }
    bool longerStartsWith(std::uint8_t byte, std::uint8_t next) const {
        return longerStarts_[std::size_t{byte} << 8 | next];
    }
    // The text of a plain byte.
    const std::string& plainText(std::uint8_t byte) const {
        return entries_[static_cast<std::size_t>(single_[byte])].text;
    }
    // The code points of a plain byte's text.
    std::uint32_t plainCharacters(std::uint8_t byte) const { return plainCharacters_[byte]; }
    // Whether every plain byte's text is one code point.
    bool plainTextsAreSingle() const { return plainTextsAreSingle_; }
    // Then: its UTF-8 bytes in four, zeros after them, to copy whole; and how
    // many they are. A bare line break gives "\n", a bare end token nothing.
    const char* plainUtf8(std::uint8_t byte) const { return plainUtf8_[byte].data(); }
    std::size_t plainUtf8Length(std::uint8_t byte) const { return plainUtf8Length_[byte]; }

private:
    void classifyPositions();
    const DecodeEntry* matchLonger(std::span<const std::uint8_t> bytes) const;

    std::vector<DecodeEntry> entries_;
    std::array<std::int32_t, 256> single_{};
    std::array<std::uint8_t, 256> byteClasses_{};
    std::array<std::uint32_t, 256> plainCharacters_{};
    bool plainTextsAreSingle_ = true;
    std::array<std::array<char, 4>, 256> plainUtf8_{};
    std::array<std::uint8_t, 256> plainUtf8Length_{};
    // Whether an entry of two bytes or more starts with these two.
    std::bitset<65536> longerStarts_;
    // The lengths of the entries that start with these two, bit n - 1 for n bytes.
    std::vector<std::uint8_t> longerLengths_ = std::vector<std::uint8_t>(65536);
    // For lengths 2 to 8: the code's bytes packed little-endian into 64 bits -> the entry.
    std::array<std::unordered_map<std::uint64_t, std::uint32_t>, kMaxEntryBytes + 1> byLength_;
    std::uint8_t longest_ = 1;
};

// Appends what an entry decodes as, with the parameter bytes that follow its code.
void appendDecoded(const DecodeEntry& entry, std::span<const std::uint8_t> parameters, std::string& out);

}  // namespace kinfold
