// Feeds arbitrary bytes to the table file reader: as they come, as UTF-16
// (each byte a unit, after either byte order mark) and, when they are UTF-8,
// as Shift JIS. Besides never crashing or hanging, a refusal must name a line
// of the file, and whatever it accepts must survive being written back and
// read again unchanged, byte for byte the second time; opened as a document
// it saves back as the same bytes, and an edited copy reads back as the
// edits. The same bytes then go through the table as a file's contents
// would: decoded as running text, in columns, and as strings.
#include "script/StringFinder.h"
#include "table/ShiftJis.h"
#include "table/TableDecoding.h"
#include "table/TableDocument.h"
#include "table/TableFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "table file check failed: %s\n", what);
        std::abort();
    }
}

// The bytes as a document: saved unedited they come back whole; with its
// first entry taken away, its last one changed and one added, they read
// back as that table, unless the edit changed which encoding they read as.
void checkDocument(std::string_view text) {
    const kinfold::TableDocumentRead read = kinfold::TableDocument::parse(text);
    if (!read.document) return;
    const kinfold::TableDocument& document = *read.document;
    const kinfold::TableSave same = document.savedBytes(document.table());
    check(same.bytes.has_value() && *same.bytes == text, "an unedited document saves its bytes unchanged");
    kinfold::CodeTable edited = document.table();
    if (!edited.empty()) {
        edited.erase(edited.entries().begin()->first);
    }
    if (!edited.empty()) {
        edited.set(edited.entries().rbegin()->first, {kinfold::EntryKind::Normal, "edited", 0});
    }
    for (std::uint8_t b = 0;; ++b) {
        if (document.table().find({b, b}) == nullptr) {
            edited.set({b, b}, {kinfold::EntryKind::End, "new", 0});
            break;
        }
    }
    const kinfold::TableSave saved = document.savedBytes(edited);
    check(saved.bytes.has_value(), "an edit in ASCII saves in every encoding");
    const kinfold::TableFileRead again = kinfold::parseTableFile(*saved.bytes);
    if (again.table && again.encoding == document.encoding()) {
        check(*again.table == edited, "an edited document reads back as its edits");
    }
}

std::string asUtf16(std::string_view bytes, bool big) {
    std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : bytes) {
        out += big ? '\0' : c;
        out += big ? c : '\0';
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkDocument(text);
    checkDocument(asUtf16(text, false));
    checkDocument(asUtf16(text, true));
    if (const auto shiftJis = kinfold::utf8ToShiftJis(text)) {
        checkDocument(*shiftJis);
    }
    const kinfold::TableFileRead read = kinfold::parseTableFile(text);
    if (!read.table) {
        check(!read.reason.empty(), "a refusal has a reason");
        std::size_t lines = 1;
        for (const char c : text) lines += c == '\n';
        check(read.line >= 1 && static_cast<std::size_t>(read.line) <= lines, "a refusal names a line of the file");
        return 0;
    }
    const std::string written = kinfold::tableFileText(*read.table);
    const kinfold::TableFileRead again = kinfold::parseTableFile(written);
    check(again.table.has_value(), "a written table reads back");
    check(*again.table == *read.table, "a written table reads back the same entries");
    check(kinfold::tableFileText(*again.table) == written, "writing again gives the same bytes");

    const kinfold::TableDecoder decoder(*read.table);
    const std::span<const std::uint8_t> bytes(data, size);
    for (const std::size_t step : {std::size_t{1}, std::size_t{2}}) {
        (void)kinfold::decodeText(decoder, bytes, step);
        check(kinfold::decodeColumns(decoder, bytes, step).size() == size / step, "one column per step");
    }
    std::uint64_t last = 0;
    kinfold::StringFinder finder(decoder, 1);
    const std::size_t went = finder.feed(bytes, 0, true, [&](kinfold::ScriptString&& s) {
        check(s.offset >= last && s.length > 0 && s.offset + s.length <= size, "strings lie in order within the bytes");
        last = s.offset + s.length;
    });
    check(went == size, "the last block is gone through whole");
    return 0;
}
