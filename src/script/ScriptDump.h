#pragma once

#include "script/ScriptString.h"
#include "script/ScriptStrings.h"
#include "search/Matcher.h"
#include "table/TableDecoder.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace kinfold {

// What part of a file the strings are taken from, and which are kept.
struct DumpSettings {
    std::uint64_t start = 0;
    std::optional<std::uint64_t> end;  // exclusive; the end of the file when absent or past it
    std::uint64_t minLength = 4;       // code points of normal entries' text, at least 1
};

// How a dump went.
struct DumpOutcome {
    // Why it stopped short or never began, in words for the user naming the file; empty when it didn't.
    std::string problem;
    bool stopped = false;    // the caller asked it to stop
    std::uint64_t done = 0;  // the offset it went up to
};

// Called after each block with the bytes of the range gone through so far;
// false stops the dump there.
using DumpProgress = std::function<bool(std::uint64_t bytesDone)>;

// How a dump is carried out; none of it changes what is found.
struct DumpWork {
    std::size_t blockSize = std::size_t{256} << 10;  // bytes read at once
    // Threads that take pieces of the range at once: a range split where
    // every scan is between strings gives the same strings found apart.
    unsigned workers = 1;
    // A piece's size, about: the strings of the pieces found ahead of those
    // handed on wait in memory, which small pieces keep small.
    std::uint64_t pieceBytes = std::uint64_t{512} << 10;
    Isa isa = bestIsa();  // what sorts the bytes, for tests of each
};

// Every string of the range of a file by the dump rule, read in blocks
// (strings cross their edges), handed to found in offset order: those of
// each block, or of each piece when several workers share the range, at once
// before its progress call.
DumpOutcome dumpFile(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                     const ScriptStringsSink& found, const DumpProgress& progress = {}, const DumpWork& work = {});
// Text made of strings found together, on the thread that found them.
using ScriptStringsFormat = std::function<void(const ScriptStrings& strings, std::string& text)>;
// Where that text goes, in offset order; it may take the text's contents.
using ScriptTextSink = std::function<void(std::string& text)>;
// The same, the strings of each block or piece made text by format where
// they are found, so that the workers share making it, and handed to write
// when there is any.
DumpOutcome dumpFileAsText(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                           const ScriptStringsFormat& format, const ScriptTextSink& write,
                           const DumpProgress& progress = {}, const DumpWork& work = {});
// The same, each string handed to found on its own.
DumpOutcome dumpFile(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                     const ScriptSink& found, const DumpProgress& progress = {}, const DumpWork& work = {});

}  // namespace kinfold
