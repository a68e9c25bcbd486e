#include "script/ScriptDump.h"

#include "search/ResultLine.h"

#include "script/SplitPoint.h"
#include "script/StringFinder.h"
#include "search/FileReader.h"
#include "search/ScanError.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kinfold {

namespace {

// Called after each block with the offset gone up to, and whether the range
// is done; false stops before the next block.
using AfterBlock = std::function<bool(std::uint64_t done, bool last)>;

// Finds the strings of [from, to) of the file a block at a time, read into
// buffer, adding them to strings before each afterBlock call. Gives why it
// failed, or nothing.
std::string findStrings(const FileReader& reader, const std::string& name, const TableDecoder& table,
                        std::uint64_t from, std::uint64_t to, std::uint64_t minLength, const DumpWork& work,
                        std::vector<std::uint8_t>& buffer, ScriptStrings& strings, const AfterBlock& afterBlock) {
    StringFinder finder(table, std::max<std::uint64_t>(minLength, 1), work.isa);
    const std::size_t blockSize = std::max(work.blockSize, StringFinder::kLookahead);
    buffer.resize(blockSize + StringFinder::kLookahead);
    std::size_t kept = 0;     // bytes at the front of buffer the finder has yet to go through
    std::uint64_t at = from;  // the offset of buffer[kept]
    while (true) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize, to - at));
        const PositionalRead read = reader.readAt(at, std::span(buffer).subspan(kept, want));
        if (read.got < want) return ScanError{name, read.reason, ScanError::Stage::Read, at - kept}.message();
        at += want;
        const bool last = at == to;
        const std::span<const std::uint8_t> bytes(buffer.data(), kept + want);
        const std::size_t went = finder.feed(bytes, at - bytes.size(), last, strings);
        kept = bytes.size() - went;
        std::memmove(buffer.data(), buffer.data() + went, kept);
        if (!afterBlock(at - kept, last) || last) return {};
    }
}

// A piece of the range, found by a worker of its own.
struct Piece {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    ScriptStrings strings;
    std::string text;  // the strings as text, when they are handed on so
    std::string problem;
    std::uint64_t done = 0;
    std::exception_ptr thrown;
    bool finished = false;
};

// The range cut about every pieceBytes where a split point lies close after.
std::vector<Piece> piecesOf(const FileReader& reader, const TableDecoder& table, std::uint64_t start, std::uint64_t end,
                            std::uint64_t pieceBytes) {
    // How far past each cut a split point is looked for: random bytes give
    // one within a few, and a table that matches nearly every byte none at all.
    const std::uint64_t window = std::clamp<std::uint64_t>(pieceBytes / 2, 1, 4096);
    std::vector<Piece> pieces;
    std::vector<std::uint8_t> bytes;
    std::uint64_t from = start;
    for (std::uint64_t cut = start + pieceBytes; cut < end && end - cut >= pieceBytes / 2; cut += pieceBytes) {
        const std::uint64_t low = std::max(start, cut - std::min<std::uint64_t>(cut, kSplitReach));
        const std::uint64_t high = std::min(end, cut + window + kMaxEntryBytes);
        bytes.resize(static_cast<std::size_t>(high - low));
        const PositionalRead read = reader.readAt(low, bytes);
        bytes.resize(read.got);  // a failed read is told by the piece that reads there
        const std::optional<std::uint64_t> split = splitPoint(table, bytes, low, cut, start, end);
        if (!split || *split < from) continue;
        pieces.push_back({});
        pieces.back().from = from;
        pieces.back().to = *split;
        from = *split + 1;
    }
    pieces.push_back({});
    pieces.back().from = from;
    pieces.back().to = end;
    return pieces;
}

// Where the strings go: to found as they are, or made text by format on the
// thread that found them and that text to write.
struct Handing {
    const ScriptStringsSink* found = nullptr;
    const ScriptStringsFormat* format = nullptr;
    const ScriptTextSink* write = nullptr;
};

DumpOutcome dumpRange(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                      const Handing& handing, const DumpProgress& progress, const DumpWork& work) {
    DumpOutcome outcome;
    outcome.done = settings.start;
    const std::string name = pathText(path);
    FileReader reader;
    if (!reader.open(path)) {
        outcome.problem = ScanError{name, reader.reason(), ScanError::Stage::Open, 0}.message();
        return outcome;
    }
    const std::uint64_t end = std::min(settings.end.value_or(reader.size()), reader.size());
    if (settings.start > reader.size()) {
        outcome.problem = "Can't dump the file \"" + name + "\": the start offset " + resultLine(settings.start) +
                          " is past its end (" + std::to_string(reader.size()) + " bytes).";
        return outcome;
    }
    if (settings.start > end) {
        outcome.problem = "Can't dump the file \"" + name + "\": the start offset " + resultLine(settings.start) +
                          " is past the end offset " + resultLine(end) + ".";
        return outcome;
    }
    std::vector<Piece> pieces;
    if (work.workers > 1 && work.pieceBytes > 0) pieces = piecesOf(reader, table, settings.start, end, work.pieceBytes);

    if (pieces.size() <= 1) {
        std::vector<std::uint8_t> buffer;
        ScriptStrings strings;
        std::string text;
        outcome.problem = findStrings(reader, name, table, settings.start, end, settings.minLength, work, buffer,
                                      strings, [&](std::uint64_t done, bool last) {
                                          if (!strings.empty() && handing.found != nullptr) {
                                              (*handing.found)(strings);
                                          } else if (!strings.empty()) {
                                              text.clear();
                                              (*handing.format)(strings, text);
                                              if (!text.empty()) (*handing.write)(text);
                                          }
                                          strings.clear();
                                          outcome.done = done;
                                          if (last || !progress || progress(done - settings.start)) return true;
                                          outcome.stopped = true;
                                          return false;
                                      });
        return outcome;
    }

    // The workers take the pieces in order, a few ahead of those handed on,
    // which are handed on here, in order, each whole.
    std::mutex mutex;
    // Each side is woken only when it waits for what the other did: a wake-up costs a system call.
    std::condition_variable pieceDone;  // the piece to hand on next is finished
    std::condition_variable roomMade;   // a piece was handed on, so a worker may take another
    std::size_t idle = 0;               // workers waiting for room
    std::size_t next = 0;               // the piece the next worker takes
    std::size_t handedOn = 0;           // the pieces handed on
    // The room of pieces handed on, for the next ones: fresh room costs a page fault every few kilobytes.
    std::vector<ScriptStrings> spare;
    std::vector<std::string> spareText;
    std::atomic<bool> halt = false;
    const std::size_t ahead = std::size_t{work.workers} + 1;
    const auto worker = [&] {
        std::vector<std::uint8_t> buffer;
        while (true) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                ++idle;
                roomMade.wait(lock, [&] { return halt || next == pieces.size() || next < handedOn + ahead; });
                --idle;
                if (halt || next == pieces.size()) return;
                i = next++;
                if (!spare.empty()) {
                    pieces[i].strings = std::move(spare.back());
                    spare.pop_back();
                }
                if (handing.format != nullptr && !spareText.empty()) {
                    pieces[i].text = std::move(spareText.back());
                    spareText.pop_back();
                }
            }
            Piece& piece = pieces[i];
            piece.done = piece.from;
            try {
                piece.problem = findStrings(reader, name, table, piece.from, piece.to, settings.minLength, work, buffer,
                                            piece.strings, [&](std::uint64_t done, bool) {
                                                piece.done = done;
                                                return !halt;
                                            });
                if (handing.format != nullptr) {
                    piece.text.clear();
                    (*handing.format)(piece.strings, piece.text);
                    piece.strings.clear();
                }
            } catch (...) {
                piece.thrown = std::current_exception();
            }
            bool awaited = false;
            {
                std::lock_guard lock(mutex);
                piece.finished = true;
                awaited = i == handedOn;
            }
            if (awaited) pieceDone.notify_one();
        }
    };
    std::vector<std::jthread> threads;
    // Stops the workers however this ends, before they are joined.
    struct Halt {
        std::mutex& mutex;
        std::condition_variable& pieceDone;
        std::condition_variable& roomMade;
        std::atomic<bool>& halt;
        ~Halt() {
            {
                std::lock_guard lock(mutex);
                halt = true;
            }
            pieceDone.notify_all();
            roomMade.notify_all();
        }
    } const stopWorkers{mutex, pieceDone, roomMade, halt};
    for (unsigned k = 0; k < std::min<std::size_t>(work.workers, pieces.size()); ++k) threads.emplace_back(worker);

    for (std::size_t i = 0; i < pieces.size(); ++i) {
        Piece& piece = pieces[i];
        {
            std::unique_lock lock(mutex);
            pieceDone.wait(lock, [&] { return piece.finished; });
        }
        if (piece.thrown) std::rethrow_exception(piece.thrown);
        // A piece that failed hands on what it found before it failed, as one worker alone would.
        if (handing.found != nullptr && !piece.strings.empty()) (*handing.found)(piece.strings);
        if (handing.format != nullptr && !piece.text.empty()) (*handing.write)(piece.text);
        if (!piece.problem.empty()) {
            outcome.problem = piece.problem;
            outcome.done = piece.done;
            return outcome;
        }
        const bool last = i + 1 == pieces.size();
        outcome.done = last ? end : pieces[i + 1].from;
        bool waiting = false;
        {
            std::lock_guard lock(mutex);
            handedOn = i + 1;
            piece.strings.clear();
            spare.push_back(std::move(piece.strings));
            if (handing.format != nullptr) {
                piece.text.clear();
                spareText.push_back(std::move(piece.text));
            }
            waiting = idle > 0;
        }
        if (waiting) roomMade.notify_all();
        if (!last && progress && !progress(outcome.done - settings.start)) {
            outcome.stopped = true;
            return outcome;
        }
    }
    return outcome;
}

}  // namespace

DumpOutcome dumpFile(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                     const ScriptStringsSink& found, const DumpProgress& progress, const DumpWork& work) {
    return dumpRange(path, table, settings, Handing{&found, nullptr, nullptr}, progress, work);
}

DumpOutcome dumpFileAsText(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                           const ScriptStringsFormat& format, const ScriptTextSink& write, const DumpProgress& progress,
                           const DumpWork& work) {
    return dumpRange(path, table, settings, Handing{nullptr, &format, &write}, progress, work);
}

DumpOutcome dumpFile(const std::filesystem::path& path, const TableDecoder& table, const DumpSettings& settings,
                     const ScriptSink& found, const DumpProgress& progress, const DumpWork& work) {
    return dumpFile(
        path, table, settings,
        [&](const ScriptStrings& strings) {
            for (std::size_t k = 0; k < strings.size(); ++k) found(strings.string(k));
        },
        progress, work);
}

}  // namespace kinfold
