#include "table/TableFile.h"

#include "table/TableEncoding.h"

#include "pattern/CharacterCode.h"
#include "pattern/QuotedText.h"
#include "table/TableDocument.h"

#include <charconv>
#include <span>
#include <utility>
#include <vector>

namespace kinfold {
namespace {

constexpr std::string_view kLineBreakEscape = "\\n";

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The bytes the hex digits of a line spell, or why they spell none: not 1
// to 8 bytes' worth of digits, or an odd number of them.
std::optional<EntryBytes> bytesOfHex(std::string_view hex, std::string& refusal) {
    bool digits = !hex.empty();
    for (const char c : hex) digits = digits && isHexDigit(c);
    if (!digits || hex.size() > 2 * kMaxEntryBytes) {
        refusal = quotedText(hex) + " is not 2 to 16 hex digits";
        return std::nullopt;
    }
    if (hex.size() % 2 != 0) {
        refusal = quotedText(hex) + " has an odd number of hex digits: each byte takes two";
        return std::nullopt;
    }
    EntryBytes bytes(hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char* first = hex.data() + 2 * i;
        std::from_chars(first, first + 2, bytes[i], 16);
    }
    return bytes;
}

// A text as the file writes it: "\n" for each line break.
std::string escapedText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += kLineBreakEscape;
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapedText(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text.substr(at).starts_with(kLineBreakEscape)) {
            out += '\n';
            ++at;
        } else {
            out += text[at];
        }
    }
    return out;
}

bool isBookmark(std::string_view line) {
    const std::size_t close = line.find("h)");
    if (close == std::string_view::npos || close < 2) return false;
    const std::string_view hex = line.substr(1, close - 1);
    for (const char c : hex) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

TableFileLine readEntryLine(std::string_view line) {
    TableFileLine result;
    result.kind = TableFileLine::Kind::Refused;
    EntryKind kind = EntryKind::Normal;
    if (line.front() == '/') kind = EntryKind::End;
    if (line.front() == '*') kind = EntryKind::LineBreak;
    if (line.front() == '$') kind = EntryKind::Control;
    if (kind != EntryKind::Normal) line.remove_prefix(1);
    const std::size_t equals = line.find('=');
    const bool needsText = kind == EntryKind::Normal || kind == EntryKind::Control;
    if (equals == std::string_view::npos && needsText) {
        result.refusal = "it has no \"=\"";
        return result;
    }
    const std::string_view hex = line.substr(0, equals);
    if (hex.empty() && kind != EntryKind::Normal) {
        // "/", "*" or "$" and then no bytes for the entry to stand for.
        const char prefix = kind == EntryKind::End ? '/' : kind == EntryKind::LineBreak ? '*' : '$';
        result.refusal = std::string("\"") + prefix +
                         "\" has no bytes after it: the hex digits of the bytes it stands for are missing";
        return result;
    }
    const auto bytes = bytesOfHex(hex, result.refusal);
    if (!bytes) {
        return result;
    }
    const std::string_view text = equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
    if (!isUtf8(text)) {
        result.refusal = "its text is not UTF-8";
        return result;
    }
    result.bytes = *bytes;
    result.entry.kind = kind;
    if (kind != EntryKind::Control) {
        result.entry.text = unescapedText(text);
        result.kind = TableFileLine::Kind::Entry;
        return result;
    }
    const std::size_t comma = text.rfind(',');
    const std::string_view count = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    int parameters = -1;
    const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), parameters);
    if (count.empty() || error != std::errc() || end != count.data() + count.size() || parameters < 0 ||
        parameters > kMaxControlParameters) {
        result.refusal = "a control code needs \",N\" after its label, N from 0 to 8 parameter bytes";
        return result;
    }
    result.entry.text = std::string(text.substr(0, comma));
    result.entry.parameters = parameters;
    result.kind = TableFileLine::Kind::Entry;
    return result;
}

}  // namespace

std::string unitHex(std::uint32_t unit, int unitBytes, ByteOrder order) {
    return bytesHex(unitBytesOf(unit, unitBytes, order));
}

std::string bytesHex(const EntryBytes& bytes) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string hex;
    for (const std::uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xFu];
    }
    return hex;
}

std::string tableFileLine(const EntryBytes& bytes, const TableEntry& entry) {
    std::string line;
    if (entry.kind == EntryKind::End) line += '/';
    if (entry.kind == EntryKind::LineBreak) line += '*';
    if (entry.kind == EntryKind::Control) line += '$';
    line += bytesHex(bytes);
    if (entry.kind == EntryKind::Control) {
        line += '=';
        line += entry.text;
        line += ',';
        line += std::to_string(entry.parameters);
    } else if (entry.kind == EntryKind::Normal || !entry.text.empty()) {
        line += '=';
        line += escapedText(entry.text);
    }
    return line;
}

std::string tableFileText(const CodeTable& table) {
    std::string out;
    for (const auto& [bytes, entry] : table.entries()) {
        out += tableFileLine(bytes, entry);
        out += '\n';
    }
    return out;
}

std::string tableFileText(const CharacterTable& table) { return tableFileText(codeTableOf(table)); }

TableFileLine readTableFileLine(std::string_view line) {
    if (line.empty() || line.front() == '#' || line.front() == '@' || (line.front() == '(' && isBookmark(line))) {
        return {};
    }
    return readEntryLine(line);
}

namespace {

// A document read down to its table and encoding.
TableFileRead tableOf(TableDocumentRead read) {
    TableFileRead result;
    result.line = read.line;
    result.reason = std::move(read.reason);
    if (read.document) {
        result.table = read.document->table();
        result.encoding = read.document->encoding();
    }
    return result;
}

}  // namespace

TableFileRead parseTableFile(std::string_view text) { return tableOf(TableDocument::parse(text)); }

TableFileRead readTableFile(const std::filesystem::path& path) { return tableOf(TableDocument::read(path)); }

}  // namespace kinfold
