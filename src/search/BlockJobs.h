#pragma once

#include "search/CompiledPattern.h"
#include "search/FileReader.h"
#include "search/Matcher.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace kinfold {

// What the job of one block found.
struct BlockResult {
    // The offsets of its matches, in increasing order.
    std::vector<std::uint64_t> matches;
    // One past the last candidate examined: the end of the block, or the
    // first candidate that needed a byte the read could not give.
    std::uint64_t end = 0;
    // Why end falls short of the end of the block; empty when it doesn't.
    std::string reason;
};

// Searches a file for a pattern in jobs of one block of candidates each: job
// k reads the bytes its candidates [k * blockSize, (k + 1) * blockSize) need
// and matches them, so that the bytes stay in the cache of the core that read
// them. Only the candidates lying wholly inside the file have jobs.
//
// For a file with more than one job (and blocks of at least kMinAheadBlock), a
// thread of its own does the jobs up to two ahead of the one the caller is on,
// while the caller does the first job nobody has started whenever the one it
// needs isn't done, so that both keep a core busy. The thread is started at the
// first such file and kept for the files after it: a caller that goes through
// thousands of small files starts no thread at all. Memory stays at a block
// for each thread and the matches of three.
class BlockJobs {
public:
    // Below this a block is read and matched faster than the thread can be woken for it.
    static constexpr std::size_t kMinAheadBlock = std::size_t{64} << 10;

    // Keeps its own copy of the pattern, which must be valid.
    BlockJobs(const CompiledPattern& pattern, std::size_t blockSize, Isa isa);
    // Waits for a job in flight, which is one block at most, then ends the thread.
    ~BlockJobs();
    BlockJobs(const BlockJobs&) = delete;
    BlockJobs& operator=(const BlockJobs&) = delete;
    BlockJobs(BlockJobs&&) = delete;
    BlockJobs& operator=(BlockJobs&&) = delete;

    // Opens path, closing the file before. False, with reason() set, when the
    // file can't be opened or its blocks can't be allocated. Without
    // allowThread every job is the caller's: for callers that already keep
    // every core busy, where a second thread each would only take turns.
    bool open(const std::filesystem::path& path, bool allowThread = true);
    // The size of the file when it was opened.
    std::uint64_t size() const { return size_; }
    // One past the last candidate lying wholly inside the file.
    std::uint64_t insideEnd() const { return insideEnd_; }
    std::uint64_t jobCount() const { return jobCount_; }

    // The results of job k, done here if need be. Jobs are asked for in
    // order, 0 first; asking for one lets the results of the one before go.
    const BlockResult& job(std::uint64_t k);

    // The bytes from insideEnd() to the end of the file, which the candidates
    // reaching past the end check; taken from the last job when there is
    // one. std::nullopt, with reason() set, when they can't be read.
    std::optional<std::span<const std::uint8_t>> endBytes();

    // Lets the file go, after a job in flight has finished.
    void close();
    const std::string& reason() const { return reason_; }

private:
    static constexpr std::uint64_t kSlots = 3;
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};

    // Where a thread reads its jobs' bytes: its own, so that they stay in its
    // core's cache. Page-aligned, which the system copies into fastest.
    struct Buffer {
        static constexpr std::align_val_t kAlignment{4096};
        struct Free {
            void operator()(std::uint8_t* p) const { ::operator delete[](p, kAlignment); }
        };
        std::unique_ptr<std::uint8_t[], Free> bytes;
        std::size_t capacity = 0;
        // Makes room for capacity bytes; false when memory runs out.
        bool reserve(std::size_t capacity);
    };

    bool fail(std::string reason);
    BlockResult& resultOf(std::uint64_t k) { return results_[k % kSlots]; }
    // Reads job k into buffer and matches it into its slot; whoever calls it took k from next_.
    void run(std::uint64_t k, Buffer& buffer);
    // The thread's loop: does the next job while it is at most two ahead of the caller's.
    void work();

    const CompiledPattern pattern_;
    const std::size_t blockSize_;
    const Isa isa_;
    BlockResult results_[kSlots];  // job k's in slot k % 3
    Buffer callerBuffer_;
    Buffer threadBuffer_;
    std::uint64_t size_ = 0;
    std::uint64_t insideEnd_ = 0;
    std::uint64_t jobCount_ = 0;
    std::vector<std::uint8_t> end_;  // the bytes after insideEnd_, kept by the last job
    std::string reason_;
    bool ahead_ = false;  // whether the thread takes this file's jobs

    // Read by both threads at once; opened and closed only while the thread is idle.
    FileReader reader_;
    std::mutex mutex_;
    std::condition_variable wake_;  // for the thread: the caller moved on, or quit
    std::condition_variable done_;  // for the caller: the thread finished a job
    // Under mutex_:
    std::uint64_t next_ = 0;                                  // the first job nobody has started
    std::uint64_t current_ = 0;                               // the job the caller is on
    std::uint64_t finished_[kSlots] = {kNone, kNone, kNone};  // the job whose results each slot holds
    bool active_ = false;
    bool working_ = false;  // the thread is doing a job
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace kinfold
