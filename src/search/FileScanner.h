#pragma once

#include "search/BlockJobs.h"
#include "search/CompiledPattern.h"
#include "search/Matcher.h"
#include "search/ScanError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kinfold {

// Searches one file for a pattern, a slice at a time, so that a window can
// handle its events between slices and stop between two candidates.
//
// Candidates are examined at offsets 0, 1, 2, ... and position() is the
// 1-based position (offset + 1) of the last one examined. A candidate that
// reaches past the end of the file never matches, and the scan ends after
// the first candidate that reads past the end: candidates read their bytes
// in entry order and stop at their first failed check, so the last candidate
// examined is the first one from max(0, size - length + 1) on whose checks
// within the file all pass (at the latest the one at size - 1; position 1
// for an empty file).
//
// The candidates lying wholly inside the file are examined in blocks of
// blockSize candidates, each read (with the length - 1 bytes its last
// candidates reach past it) and matched in one go. A file of more than one
// block has blocks done ahead on a thread of the scanner's own while the
// caller does the others (see BlockJobs), so memory stays at a block for
// each of the two threads and the matches of three blocks; a slice may still
// end anywhere within a block.
class FileScanner {
public:
    static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
    // Larger blocks read no faster, and sizes near the top of size_t would wrap.
    static constexpr std::size_t kMaxBlockSize = std::size_t{64} << 20;

    // Keeps its own copy of the pattern, so the caller's may change or go away.
    // blockSize is taken within 1..kMaxBlockSize.
    explicit FileScanner(const CompiledPattern& pattern, std::size_t blockSize = kDefaultBlockSize,
                         Isa isa = bestIsa());
    // Waits for a block in flight (one at most).
    ~FileScanner() = default;
    FileScanner(const FileScanner&) = delete;
    FileScanner& operator=(const FileScanner&) = delete;
    // A moved-from scanner is closed and finished.
    FileScanner(FileScanner&& other) noexcept;
    FileScanner& operator=(FileScanner&& other) noexcept;

    // Whether a file larger than a block has a thread of the scanner's own do
    // blocks ahead (the default). Callers that run a scanner on every core
    // already turn it off. Takes effect at the next open().
    void setReadAhead(bool on) { readAhead_ = on; }
    bool readAhead() const { return readAhead_; }

    // Opens path and starts a new scan at position 0. False, with error()
    // set and finished() true, when the file can't be opened (no name,
    // missing, a folder, not an ordinary file, no permission) or the pattern
    // is not valid, or there is no memory for its blocks.
    bool open(const std::filesystem::path& path);

    // Examines candidates until position() reaches untilPosition or the scan
    // ends, appending the 0-based offsets of matches in increasing order.
    // Does nothing when untilPosition <= position() or the scan has finished.
    // A read failure, or the file turning out shorter than when it was
    // opened, ends the scan with error() set at the first candidate that
    // needed a byte it could not read, whose offset position() then is; the
    // matches appended so far stand.
    void scanUntil(std::uint64_t untilPosition, std::vector<std::uint64_t>& matches);

    // SearchPos of the last examined candidate; 0 before the first.
    std::uint64_t position() const { return next_; }
    // True once the end of the file was reached, an error ended the scan, or
    // there is nothing to scan (never opened, closed).
    bool finished() const { return finished_; }
    const std::optional<ScanError>& error() const { return error_; }
    // Lets the file go, after a block in flight has finished; the scan counts
    // as finished. position() and error() stay.
    void close();

    // The size of the file when it was opened.
    std::uint64_t fileSize() const { return fileSize_; }
    std::size_t blockSize() const { return blockSize_; }
    Isa isa() const { return isa_; }
    const CompiledPattern& pattern() const { return pattern_; }

private:
    void failRead(const std::string& reason);

    CompiledPattern pattern_;
    std::size_t blockSize_;
    Isa isa_;
    bool readAhead_ = true;
    // On the heap, so that moving the scanner never moves what a block in
    // flight writes to; made at the first open.
    std::unique_ptr<BlockJobs> jobs_;
    std::string path_;
    const BlockResult* block_ = nullptr;                     // the results of the block the next candidate lies in
    std::uint64_t blockEnd_ = 0;                             // one past that block's last candidate
    std::size_t nextMatch_ = 0;                              // the first of its matches not yet handed out
    std::optional<std::span<const std::uint8_t>> endBytes_;  // the bytes after the last whole candidate
    std::uint64_t fileSize_ = 0;
    std::uint64_t next_ = 0;  // offset of the next candidate, which is also position()
    bool finished_ = true;
    std::optional<ScanError> error_;
};

}  // namespace kinfold
