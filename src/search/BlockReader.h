#pragma once

#include "search/FileReader.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace kinfold {

// Hands a file to its caller as a window of bytes that moves on a block at a
// time, each new block placed right behind the last bytes the caller keeps of
// the one before, so that a match can reach across the edge.
//
// Two buffers take turns. For a file larger than one block (of at least
// kMinReadAheadBlock), a thread of the reader's own fills one buffer while the
// caller works on the other, so that reading and matching overlap. The thread is started at the first such file
// and kept for the files after it: a caller that goes through thousands of
// small files starts no thread at all, and one that meets a large file starts
// one. Memory stays at two blocks.
class BlockReader {
public:
    // Below this a block is read faster than the thread can be woken to read it.
    static constexpr std::size_t kMinReadAheadBlock = std::size_t{64} << 10;

    // overlap: the most bytes advance() will be asked to keep.
    BlockReader(std::size_t blockSize, std::size_t overlap);
    // Waits for a read in flight, which is one block at most, then ends the thread.
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;
    BlockReader(BlockReader&&) = delete;
    BlockReader& operator=(BlockReader&&) = delete;

    // Opens path with an empty window, closing the file before. False, with
    // reason() set, when the file can't be opened or its blocks can't be
    // allocated.
    bool open(const std::filesystem::path& path);
    // The size of the file when it was opened.
    std::uint64_t size() const { return size_; }

    // The bytes held: the bytes kept by the last advance(), then the block
    // read after them.
    std::span<const std::uint8_t> window() const { return window_; }

    // Keeps the last `keep` bytes of window() (keep <= overlap) and puts the
    // next block of the file after them; at the end of the file the window is
    // the kept bytes alone. False when the read fails or the file is shorter
    // than its size: reason() says why and the file is closed.
    bool advance(std::size_t keep);

    // Lets the file go, after a read in flight has finished.
    void close();
    const std::string& reason() const { return reason_; }

private:
    bool fail(std::string reason);
    // Makes buffer b hold at least capacity bytes; false when memory runs out.
    bool reserve(int b, std::size_t capacity);
    // Starts reading the next block into buffer b; without the thread, reads it at once.
    void startRead(int b);
    // The result of the read started last, once it is done.
    std::optional<std::size_t> finishRead();
    // The thread's loop: one read at a time, as startRead() posts them.
    void run();

    const std::size_t blockSize_;
    const std::size_t overlap_;
    // Buffer b holds overlap_ bytes of room for the kept bytes, then the block.
    std::unique_ptr<std::uint8_t[]> buffers_[2];
    std::size_t capacity_[2] = {0, 0};
    int current_ = 0;  // the buffer the window lies in
    std::span<const std::uint8_t> window_;
    std::uint64_t size_ = 0;
    std::string reason_;

    // Whether this file's blocks are read by the thread.
    bool ahead_ = false;
    // Whether a read was started and its result not yet taken, and into which buffer.
    bool inFlight_ = false;
    int readingInto_ = 0;
    // The result of a read done at once, without the thread.
    std::optional<std::size_t> readResult_;

    // reader_ belongs to the thread from startRead() until finishRead() has
    // seen the read done, and to the caller at all other times.
    FileReader reader_;
    std::mutex mutex_;
    std::condition_variable posted_;
    std::condition_variable done_;
    std::span<std::uint8_t> job_;  // under mutex_
    bool jobPosted_ = false;       // under mutex_
    bool jobDone_ = false;         // under mutex_
    std::optional<std::size_t> jobResult_;  // under mutex_
    bool quit_ = false;            // under mutex_
    std::thread thread_;
};

}  // namespace kinfold
