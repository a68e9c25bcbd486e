// Feeds arbitrary bytes to the table file reader. Besides never crashing or
// hanging, a refusal must name a line of the file, and whatever it accepts
// must survive being written back and read again unchanged, byte for byte
// the second time. The same bytes then go through the table as a file's
// contents would: decoded as running text, in columns, and as strings.
#include "script/StringFinder.h"
#include "table/TableDecoding.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
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
