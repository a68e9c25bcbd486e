#include "table/TableDecoder.h"

#include "pattern/CharacterCode.h"

#include <algorithm>
#include <bit>

namespace kinfold {
namespace {

std::uint64_t packed(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) value |= std::uint64_t{bytes[i]} << (8 * i);
    return value;
}

std::uint32_t countCharacters(std::string_view text) {
    std::uint32_t count = 0;
    while (!text.empty()) {
        const auto c = decodeFirstCharacter(text);
        const std::size_t length = c ? c->length : 1;
        if (text.front() != '\n') ++count;
        text.remove_prefix(length);
    }
    return count;
}

}  // namespace

TableDecoder::TableDecoder(const CodeTable& table) {
    single_.fill(-1);
    entries_.reserve(table.size());
    for (const auto& [bytes, entry] : table.entries()) {
        if (bytes.empty() || bytes.size() > kMaxEntryBytes) continue;
        DecodeEntry e;
        e.kind = entry.kind;
        e.length = static_cast<std::uint8_t>(bytes.size());
        e.parameters = static_cast<std::uint8_t>(std::clamp(entry.parameters, 0, kMaxControlParameters));
        if (entry.kind != EntryKind::Control) e.parameters = 0;
        e.characters = entry.kind == EntryKind::Normal ? countCharacters(entry.text) : 0;
        e.text = entry.text;
        const auto index = static_cast<std::uint32_t>(entries_.size());
        entries_.push_back(std::move(e));
        if (bytes.size() == 1) {
            single_[bytes[0]] = static_cast<std::int32_t>(index);
        } else {
            longerStarts_.set(std::size_t{bytes[0]} << 8 | bytes[1]);
            longerLengths_[std::size_t{bytes[0]} << 8 | bytes[1]] |=
                static_cast<std::uint8_t>(1u << (bytes.size() - 1));
            byLength_[bytes.size()][packed(bytes)] = index;
            longest_ = std::max(longest_, static_cast<std::uint8_t>(bytes.size()));
        }
    }
    classifyPositions();
}

void TableDecoder::classifyPositions() {
    for (std::size_t byte = 0; byte < 256; ++byte) {
        const std::int32_t single = single_[byte];
        const DecodeEntry* own = single < 0 ? nullptr : &entries_[static_cast<std::size_t>(single)];
        const bool plain = own != nullptr && own->kind == EntryKind::Normal;
        plainCharacters_[byte] = plain ? own->characters : 0;
        plainTextsAreSingle_ = plainTextsAreSingle_ && (!plain || own->characters == 1);
        if (plain && own->text.size() <= 4) {
            std::copy(own->text.begin(), own->text.end(), plainUtf8_[byte].begin());
            plainUtf8Length_[byte] = static_cast<std::uint8_t>(own->text.size());
        }
        const bool bare = own != nullptr && own->text.empty() && own->parameters == 0;
        const bool bareBreak = bare && own->kind == EntryKind::LineBreak;
        const bool bareEnd = bare && own->kind == EntryKind::End;
        if (bareBreak) {
            plainUtf8_[byte][0] = '\n';
            plainUtf8Length_[byte] = 1;
        }
        std::uint8_t kind = plain            ? kPlainByte
                            : bareBreak      ? kBareBreak
                            : bareEnd        ? kBareEnd
                            : own != nullptr ? kSpecialByte
                                             : 0;
        for (std::size_t other = 0; other < 256; ++other) {
            if (longerStarts_[byte << 8 | other]) kind |= kLongerByte;
            if (longerStarts_[other << 8 | byte]) kind |= kSecondByte;
        }
        byteClasses_[byte] = kind;
    }
}

const DecodeEntry* TableDecoder::matchLonger(std::span<const std::uint8_t> bytes) const {
    // Only the lengths some entry of these first two bytes has, longest first.
    const std::size_t most = std::min<std::size_t>(longest_, bytes.size());
    unsigned lengths = longerLengths_[std::size_t{bytes[0]} << 8 | bytes[1]] & ((2u << (most - 1)) - 1);
    while (lengths != 0) {
        const auto length = static_cast<std::size_t>(std::bit_width(lengths));
        lengths &= ~(1u << (length - 1));
        const auto found = byLength_[length].find(packed(bytes.first(length)));
        if (found != byLength_[length].end()) return &entries_[found->second];
    }
    return nullptr;
}

void appendDecoded(const DecodeEntry& entry, std::span<const std::uint8_t> parameters, std::string& out) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    out += entry.text;
    if (entry.kind == EntryKind::LineBreak) out += '\n';
    if (entry.kind != EntryKind::Control) return;
    for (const std::uint8_t byte : parameters.first(std::min<std::size_t>(parameters.size(), entry.parameters))) {
        out += "<$";
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xFu];
        out += '>';
    }
}

}  // namespace kinfold
