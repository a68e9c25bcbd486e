#include "table/TableDocument.h"

#include "pattern/CharacterCode.h"
#include "search/FileReader.h"
#include "table/TableFile.h"

#include <cstdio>
#include <map>
#include <span>
#include <utility>

namespace kinfold {
namespace {

// Far beyond any table a person writes, small enough to hold.
constexpr std::uint64_t kMaxTableFileBytes = std::uint64_t{64} << 20;

// How long the line starting at `at` is, its line end included: up to and
// with the next LF of the encoding, or to the end of the bytes. In UTF-8 and
// Shift JIS an LF byte is always an LF (no Shift JIS character has one in
// it); in UTF-16 it is the unit 0x000A.
std::size_t lineLength(std::string_view bytes, std::size_t at, TableEncoding encoding) {
    if (encoding == TableEncoding::Utf16Little || encoding == TableEncoding::Utf16Big) {
        const char low = encoding == TableEncoding::Utf16Little ? '\n' : '\0';
        const char high = encoding == TableEncoding::Utf16Little ? '\0' : '\n';
        for (std::size_t i = at; i + 1 < bytes.size(); i += 2) {
            if (bytes[i] == low && bytes[i + 1] == high) return i + 2 - at;
        }
        return bytes.size() - at;
    }
    const std::size_t lf = bytes.find('\n', at);
    return lf == std::string_view::npos ? bytes.size() - at : lf + 1 - at;
}

// The line end of a line of UTF-8: its LF and every CR before it, or the CRs
// that end a last line without an LF.
std::size_t endingLength(std::string_view line) {
    std::size_t n = line.ends_with('\n') ? 1 : 0;
    while (n < line.size() && line[line.size() - 1 - n] == '\r') ++n;
    return n;
}

std::string codePointName(std::string_view utf8) {
    const auto c = decodeFirstCharacter(utf8);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", c ? static_cast<unsigned>(c->codePoint) : 0u);
    return buffer;
}

}  // namespace

TableDocumentRead TableDocument::parse(std::string_view fileBytes) {
    TableDocumentRead result;
    TableDocument document;
    const DetectedEncoding detected = detectEncoding(fileBytes);
    document.encoding_ = detected.encoding;
    document.mark_ = std::string(fileBytes.substr(0, detected.markBytes));
    const std::string_view bytes = fileBytes.substr(detected.markBytes);
    int number = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        ++number;
        const std::size_t length = lineLength(bytes, at, document.encoding_);
        Line line{std::string(bytes.substr(at, length)), {}, std::nullopt};
        at += length;
        // UTF-8 is taken as it comes: only an entry's text must be UTF-8, and its line says so.
        std::optional<std::string> text = document.encoding_ == TableEncoding::Utf8
                                              ? std::optional<std::string>(line.raw)
                                              : textFromEncoding(document.encoding_, line.raw);
        if (!text) {
            result.line = number;
            result.reason = "it is not valid " + std::string(encodingName(document.encoding_));
            return result;
        }
        const std::size_t ending = endingLength(*text);
        line.ending = text->substr(text->size() - ending);
        text->resize(text->size() - ending);
        TableFileLine read = readTableFileLine(*text);
        if (read.kind == TableFileLine::Kind::Refused) {
            result.line = number;
            result.reason = std::move(read.refusal);
            return result;
        }
        if (read.kind == TableFileLine::Kind::Entry) {
            line.bytes = read.bytes;
            document.table_.set(std::move(read.bytes), std::move(read.entry));
        }
        document.lines_.push_back(std::move(line));
    }
    result.document = std::move(document);
    return result;
}

TableDocumentRead TableDocument::read(const std::filesystem::path& path) {
    TableDocumentRead result;
    FileReader reader;
    if (!reader.open(path)) {
        result.reason = reader.reason();
        return result;
    }
    if (reader.size() > kMaxTableFileBytes) {
        result.reason = "it is too large to be a table file";
        return result;
    }
    std::string bytes(static_cast<std::size_t>(reader.size()), '\0');
    const auto got = reader.read(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()));
    if (!got) {
        result.reason = reader.reason();
        return result;
    }
    bytes.resize(*got);
    return parse(bytes);
}

TableSave TableDocument::savedBytes(const CodeTable& edited) const {
    TableSave save;
    std::string out = mark_;
    if (edited == table_) {
        for (const Line& line : lines_) out += line.raw;
        save.bytes = std::move(out);
        return save;
    }
    const auto encoded = [&](const std::string& text) -> std::optional<std::string> {
        TextInEncoding bytes = textInEncoding(encoding_, text);
        if (!bytes.bytes) {
            save.reason = "\"" + bytes.refused + "\" (" + codePointName(bytes.refused) + ") can't be written in " +
                          std::string(encodingName(encoding_)) + ", the encoding the table was read in";
        }
        return std::move(bytes.bytes);
    };
    std::map<EntryBytes, std::size_t, EntryBytesOrder> winners;  // the last line for each entry's bytes
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].bytes) winners[*lines_[i].bytes] = i;
    }
    std::string newEnding = "\n";
    for (const Line& line : lines_) {
        if (line.ending.ends_with('\n')) {
            newEnding = line.ending;
            break;
        }
    }
    bool open = false;  // the last line written has no LF: a line added must end it first
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.bytes) {
            const TableEntry* entry = edited.find(*line.bytes);
            if (entry == nullptr) continue;
            if (winners.at(*line.bytes) == i && *entry != *table_.find(*line.bytes)) {
                const auto bytes = encoded(tableFileLine(*line.bytes, *entry) + line.ending);
                if (!bytes) return save;
                out += *bytes;
                open = !line.ending.ends_with('\n');
                continue;
            }
        }
        out += line.raw;
        open = !line.ending.ends_with('\n');
    }
    std::string added;
    for (const auto& [bytes, entry] : edited.entries()) {
        if (table_.find(bytes) != nullptr) continue;
        if (open || !added.empty()) added += newEnding;
        added += tableFileLine(bytes, entry);
    }
    if (!added.empty()) {
        if (!open) added += newEnding;
        const auto bytes = encoded(added);
        if (!bytes) return save;
        out += *bytes;
    }
    save.bytes = std::move(out);
    return save;
}

}  // namespace kinfold
