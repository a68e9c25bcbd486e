#include "script/ScriptDump.h"

#include "script/StringFinder.h"
#include "search/FileReader.h"
#include "search/ScanError.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kinfold {

DumpOutcome dumpFile(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                     const ScriptStringsSink& found, const DumpProgress& progress, std::size_t blockSize,
                     Isa isa) {
    DumpOutcome outcome;
    outcome.done = settings.start;
    FileReader reader;
    if (!reader.open(path)) {
        outcome.problem = ScanError{pathText(path), reader.reason(), ScanError::Stage::Open, 0}.message();
        return outcome;
    }
    const std::uint64_t end = std::min(settings.end.value_or(reader.size()), reader.size());
    if (settings.start > reader.size()) {
        outcome.problem = "Can't dump the file \"" + pathText(path) + "\": the start offset " +
                          std::to_string(settings.start) + " is past its end (" + std::to_string(reader.size()) +
                          " bytes).";
        return outcome;
    }
    if (settings.start > end) {
        outcome.problem = "Can't dump the file \"" + pathText(path) + "\": the start offset " +
                          std::to_string(settings.start) + " is past the end offset " + std::to_string(end) + ".";
        return outcome;
    }
    StringFinder finder(table, std::max<std::uint64_t>(settings.minLength, 1), isa);
    blockSize = std::max(blockSize, StringFinder::kLookahead);
    std::vector<std::uint8_t> buffer(blockSize + StringFinder::kLookahead);
    ScriptStrings strings;
    std::size_t kept = 0;  // bytes at the front of buffer the finder has yet to go through
    std::uint64_t at = settings.start;  // the offset of buffer[kept]
    while (true) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, end - at));
        const PositionalRead read = reader.readAt(at, std::span(buffer).subspan(kept, want));
        if (read.got < want) {
            outcome.problem = ScanError{pathText(path), read.reason, ScanError::Stage::Read, at - kept}.message();
            return outcome;
        }
        at += want;
        const bool last = at == end;
        const std::span<const std::uint8_t> bytes(buffer.data(), kept + want);
        strings.clear();
        const std::size_t went = finder.feed(bytes, at - bytes.size(), last, strings);
        if (!strings.empty()) found(strings);
        kept = bytes.size() - went;
        std::memmove(buffer.data(), buffer.data() + went, kept);
        outcome.done = at - kept;
        if (last) return outcome;
        if (progress && !progress(outcome.done - settings.start)) {
            outcome.stopped = true;
            return outcome;
        }
    }
}

DumpOutcome dumpFile(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                     const ScriptSink& found, const DumpProgress& progress, std::size_t blockSize, Isa isa) {
    return dumpFile(
        path, table, settings,
        [&](const ScriptStrings& strings) {
            for (std::size_t k = 0; k < strings.size(); ++k) found(strings.string(k));
        },
        progress, blockSize, isa);
}

}  // namespace kinfold
