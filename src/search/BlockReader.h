#pragma once

#include "search/FileReader.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace kinfold {

// Hands a file to its caller as a window of bytes that moves on a block at a
// time, each new block placed right behind the last bytes the caller keeps of
// the one before, so that a match can reach across the edge.
//
// For a file larger than one block (of at least kMinReadAheadBlock), a thread
// of the reader's own reads up to two blocks ahead into buffers of their own
// while the caller works on the current one, so that reading and matching
// overlap and the reading never waits for the caller to wake it. A caller
// that finds the thread has not started on the block it needs reads it itself. The thread
// is started at the first such file and kept for the files after it: a caller
// that goes through thousands of small files starts no thread at all, and one
// that meets a large file starts one. Memory stays at three blocks.
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
    static constexpr int kBuffers = 3;

    bool fail(std::string reason);
    // Makes buffer b hold at least capacity bytes; false when memory runs out.
    bool reserve(int b, std::size_t capacity);
    // The bytes of the file block `block` fills.
    std::size_t blockLength(std::uint64_t block) const;
    // Makes the window the kept bytes and the got bytes read into buffer b.
    void place(int b, std::size_t keep, std::size_t got);
    // The next block, read here and now or taken from the thread; false on failure.
    bool readHere(std::size_t keep);
    bool takeFromThread(std::size_t keep);
    // Reads block done_ into its buffer, with the lock let go meanwhile;
    // whoever calls it holds the lock and found reading_ unset.
    void readNext(std::unique_lock<std::mutex>& lock);
    // The thread's loop: reads blocks in order while there are free buffers.
    void run();

    const std::size_t blockSize_;
    const std::size_t overlap_;
    // Buffer b holds overlap_ bytes of room for the kept bytes, then the block.
    std::unique_ptr<std::uint8_t[]> buffers_[kBuffers];
    std::size_t capacity_[kBuffers] = {0, 0, 0};
    int current_ = 0;  // the buffer the window lies in
    std::span<const std::uint8_t> window_;
    std::uint64_t size_ = 0;
    std::string reason_;
    bool ahead_ = false;  // whether this file's blocks are read by the thread

    // reader_ is used by whoever set reading_ (the thread, or the caller when
    // the thread is late), and by the caller while the thread is not active_.
    FileReader reader_;
    std::mutex mutex_;
    std::condition_variable wake_;   // for the thread: a buffer came free, or quit
    std::condition_variable ready_;  // for the caller: a block was read, or the thread stopped reading
    // Under mutex_:
    std::uint64_t blocks_ = 0;  // the file's blocks
    std::uint64_t taken_ = 0;   // blocks handed to the caller
    std::uint64_t done_ = 0;    // blocks read
    std::size_t got_[kBuffers] = {0, 0, 0};  // the bytes read into each buffer
    bool active_ = false;
    bool reading_ = false;
    bool failed_ = false;
    std::string failReason_;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace kinfold
