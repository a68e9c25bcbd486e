#include "table/TableDecoding.h"

#include "pattern/CharacterCode.h"

#include <algorithm>

namespace kinfold {
namespace {

// The characters an entry shows in the columns, one string each.
std::vector<std::string> cellCharacters(const DecodeEntry& entry) {
    std::string shown = entry.text;
    if (entry.kind == EntryKind::LineBreak) shown += '\n';
    std::vector<std::string> characters;
    std::string_view rest(shown);
    while (!rest.empty()) {
        const auto c = decodeFirstCharacter(rest);
        const std::size_t length = c ? c->length : 1;
        characters.emplace_back(rest.front() == '\n' ? std::string(kLineBreakCell)
                                                     : std::string(rest.substr(0, length)));
        rest.remove_prefix(length);
    }
    return characters;
}

enum class Layout { Running, BreakAfterEnds, OneLine };

// An entry's text with its backslashes and line breaks escaped; a textless end token as its bytes.
void appendOnOneLine(const DecodeEntry& entry, std::span<const std::uint8_t> code, std::string& out) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    if (entry.kind == EntryKind::End && entry.text.empty()) {
        for (const std::uint8_t byte : code.first(entry.length)) {
            out += "<$";
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0xFu];
            out += '>';
        }
        return;
    }
    std::string decoded;
    appendDecoded(entry, code.subspan(entry.length), decoded);
    for (const char c : decoded) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
}

std::string decode(const TableDecoder& table, std::span<const std::uint8_t> bytes, std::size_t stepBytes,
                   Layout layout) {
    stepBytes = std::max<std::size_t>(stepBytes, 1);
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::span<const std::uint8_t> rest = bytes.subspan(at);
        const DecodeEntry* entry = table.match(rest);
        if (entry != nullptr && entry->span() <= rest.size()) {
            if (layout == Layout::OneLine) {
                appendOnOneLine(*entry, rest.first(entry->span()), out);
            } else {
                appendDecoded(*entry, rest.subspan(entry->length), out);
            }
            if (layout == Layout::BreakAfterEnds && entry->kind == EntryKind::End) out += '\n';
            at += entry->span();
        } else {
            out += kUndecodedUnit;
            at += std::min(stepBytes, rest.size());
        }
    }
    return out;
}

}  // namespace

std::string decodeText(const TableDecoder& table, std::span<const std::uint8_t> bytes, std::size_t stepBytes) {
    return decode(table, bytes, stepBytes, Layout::Running);
}

std::string decodeLines(const TableDecoder& table, std::span<const std::uint8_t> bytes, std::size_t stepBytes) {
    return decode(table, bytes, stepBytes, Layout::BreakAfterEnds);
}

std::string decodeOneLine(const TableDecoder& table, std::span<const std::uint8_t> bytes, std::size_t stepBytes) {
    return decode(table, bytes, stepBytes, Layout::OneLine);
}

std::vector<std::string> decodeColumns(const TableDecoder& table, std::span<const std::uint8_t> bytes,
                                       std::size_t columnBytes) {
    columnBytes = std::max<std::size_t>(columnBytes, 1);
    std::vector<std::string> cells(bytes.size() / columnBytes, std::string(kUndecodedUnit));
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::span<const std::uint8_t> rest = bytes.subspan(at);
        const DecodeEntry* entry = table.match(rest);
        if (entry == nullptr || entry->span() > rest.size()) {
            at += std::min(columnBytes, rest.size());
            continue;
        }
        const std::size_t end = at + entry->span();
        const std::size_t first = (at + columnBytes - 1) / columnBytes;
        const std::size_t last = std::min(cells.size(), (end + columnBytes - 1) / columnBytes);
        const std::vector<std::string> characters = cellCharacters(*entry);
        const bool fits = !characters.empty() && first < last && characters.size() <= last - first;
        for (std::size_t column = first; column < last; ++column) {
            const std::size_t k = column - first;
            if (fits) {
                cells[column] = k < characters.size() ? characters[k] : std::string(" ");
            } else {
                cells[column] = k == 0 ? std::string(kUndecodedUnit) : std::string(" ");
            }
        }
        at = end;
    }
    return cells;
}

}  // namespace kinfold
