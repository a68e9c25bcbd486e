#include "search/BlockReader.h"

#include "search/ScanError.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

namespace kinfold {

BlockReader::BlockReader(std::size_t blockSize, std::size_t overlap)
    : blockSize_(std::max<std::size_t>(blockSize, 1)), overlap_(overlap) {}

BlockReader::~BlockReader() {
    close();
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
}

bool BlockReader::fail(std::string reason) {
    close();
    window_ = {};
    reason_ = std::move(reason);
    return false;
}

bool BlockReader::reserve(int b, std::size_t capacity) {
    const auto i = static_cast<std::size_t>(b);
    if (capacity_[i] >= capacity) {
        return true;
    }
    buffers_[i].reset();
    capacity_[i] = 0;
    try {
        buffers_[i] = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    } catch (const std::bad_alloc&) {
        return false;
    }
    capacity_[i] = capacity;
    return true;
}

std::size_t BlockReader::blockLength(std::uint64_t block) const {
    return static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, size_ - block * blockSize_));
}

bool BlockReader::open(const std::filesystem::path& path) {
    close();
    window_ = {};
    size_ = 0;
    reason_.clear();
    if (!reader_.open(path)) {
        return fail(reader_.reason());
    }
    size_ = reader_.size();
    const std::uint64_t blocks = size_ / blockSize_ + (size_ % blockSize_ != 0 ? 1 : 0);
    ahead_ = blocks > 1 && blockSize_ >= kMinReadAheadBlock;
    if (ahead_ && !thread_.joinable()) {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            ahead_ = false;  // no thread to be had: the blocks are read one after the other instead
        }
    }
    // A file within one block needs one buffer of its own size; a larger one
    // two blocks, or three when read ahead.
    const std::size_t capacity = overlap_ + blockLength(0);
    const int buffers = blocks <= 1 ? 1 : ahead_ ? 3 : 2;
    for (int b = 0; b < buffers; ++b) {
        if (!reserve(b, capacity)) {
            return fail(kNoMemoryReason);
        }
    }
    current_ = 0;
    {
        const std::lock_guard lock(mutex_);
        blocks_ = blocks;
        taken_ = 0;
        done_ = 0;
        failed_ = false;
        failReason_.clear();
        active_ = ahead_;
    }
    if (ahead_) {
        wake_.notify_one();
    }
    return true;
}

void BlockReader::close() {
    if (ahead_) {
        std::unique_lock lock(mutex_);
        active_ = false;
        ready_.wait(lock, [this] { return !reading_; });
    }
    reader_.close();
}

void BlockReader::place(int b, std::size_t keep, std::size_t got) {
    std::uint8_t* block = buffers_[static_cast<std::size_t>(b)].get() + overlap_;
    if (b != current_ && keep != 0) {
        std::memcpy(block - keep, window_.data() + window_.size() - keep, keep);
    }
    current_ = b;
    window_ = std::span<const std::uint8_t>(block - keep, keep + got);
}

bool BlockReader::advance(std::size_t keep) {
    keep = std::min({keep, overlap_, window_.size()});
    if (taken_ == blocks_) {
        window_ = window_.last(keep);
        return true;
    }
    return ahead_ ? takeFromThread(keep) : readHere(keep);
}

bool BlockReader::readHere(std::size_t keep) {
    // Without kept bytes the window's own buffer can take the block.
    const int into = keep == 0 ? current_ : 1 - current_;
    const std::size_t length = blockLength(taken_);
    const std::span<std::uint8_t> block(buffers_[static_cast<std::size_t>(into)].get() + overlap_, length);
    const std::optional<std::size_t> got = reader_.read(block);
    if (!got) {
        return fail(reader_.reason());
    }
    place(into, keep, *got);
    ++taken_;  // the thread is not active: no lock needed
    return true;
}

bool BlockReader::takeFromThread(std::size_t keep) {
    const int into = static_cast<int>(taken_ % kBuffers);
    std::size_t got = 0;
    {
        std::unique_lock lock(mutex_);
        while (done_ <= taken_ && !failed_) {
            if (reading_) {
                ready_.wait(lock);
            } else {
                // The thread has not got to this block yet (it waits for a core,
                // on a busy machine): reading it here beats waiting for that.
                readNext(lock);
                wake_.notify_one();
            }
        }
        if (done_ <= taken_) {
            std::string why = failReason_;
            lock.unlock();
            return fail(std::move(why));
        }
        got = got_[static_cast<std::size_t>(into)];
    }
    // The buffer before is still the thread's to leave alone until taken_ moves on.
    place(into, keep, got);
    {
        const std::lock_guard lock(mutex_);
        ++taken_;
    }
    wake_.notify_one();
    return true;
}

void BlockReader::readNext(std::unique_lock<std::mutex>& lock) {
    const auto b = static_cast<std::size_t>(done_ % kBuffers);
    const std::span<std::uint8_t> into(buffers_[b].get() + overlap_, blockLength(done_));
    reading_ = true;
    lock.unlock();
    const std::optional<std::size_t> got = reader_.read(into);
    lock.lock();
    reading_ = false;
    if (got) {
        got_[b] = *got;
        ++done_;
    } else {
        failed_ = true;
        failReason_ = reader_.reason();
    }
}

void BlockReader::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Block done_ goes into buffer done_ % 3, which is free while it is at
        // most one past the next block the caller takes.
        wake_.wait(lock, [this] {
            return quit_ || (active_ && !reading_ && !failed_ && done_ < blocks_ && done_ <= taken_ + 1);
        });
        if (quit_) {
            return;
        }
        readNext(lock);
        ready_.notify_one();
    }
}

}  // namespace kinfold
