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
        posted_.notify_one();
        thread_.join();
    }
}

bool BlockReader::fail(std::string reason) {
    reader_.close();
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

bool BlockReader::open(const std::filesystem::path& path) {
    close();
    window_ = {};
    size_ = 0;
    reason_.clear();
    if (!reader_.open(path)) {
        return fail(reader_.reason());
    }
    size_ = reader_.size();
    // A file within one block needs one buffer of its own size; a larger one two blocks.
    const bool large = size_ > blockSize_;
    const std::size_t capacity = overlap_ + (large ? blockSize_ : static_cast<std::size_t>(size_));
    if (!reserve(0, capacity) || (large && !reserve(1, capacity))) {
        return fail(kNoMemoryReason);
    }
    current_ = 0;
    ahead_ = false;
    if (large && blockSize_ >= kMinReadAheadBlock) {
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { run(); });
            } catch (const std::system_error&) {
                // No thread to be had: the blocks are read one after the other instead.
            }
        }
        ahead_ = thread_.joinable();
    }
    if (ahead_) {
        startRead(current_);
    }
    return true;
}

void BlockReader::close() {
    if (inFlight_) {
        finishRead();
    }
    reader_.close();
}

bool BlockReader::advance(std::size_t keep) {
    keep = std::min({keep, overlap_, window_.size()});
    if (!inFlight_) {
        if (reader_.remaining() == 0) {
            window_ = window_.last(keep);
            return true;
        }
        // Without kept bytes the window's own buffer can take the block.
        const int into = keep == 0 ? current_ : 1 - current_;
        const auto block = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, reader_.remaining()));
        if (!reserve(into, overlap_ + block)) {
            return fail(kNoMemoryReason);
        }
        startRead(into);
    }
    const int into = readingInto_;
    const std::optional<std::size_t> got = finishRead();
    if (!got) {
        return fail(reader_.reason());
    }
    std::uint8_t* block = buffers_[static_cast<std::size_t>(into)].get() + overlap_;
    if (into != current_) {
        if (keep != 0) {
            std::memcpy(block - keep, window_.data() + window_.size() - keep, keep);
        }
        current_ = into;
    } else {
        keep = 0;  // a read into the window's own buffer was started with nothing to keep
    }
    window_ = std::span<const std::uint8_t>(block - keep, keep + *got);
    if (ahead_ && reader_.remaining() != 0) {
        startRead(1 - current_);
    }
    return true;
}

void BlockReader::startRead(int b) {
    const std::size_t room = capacity_[static_cast<std::size_t>(b)] - overlap_;
    const std::span<std::uint8_t> into(buffers_[static_cast<std::size_t>(b)].get() + overlap_,
                                       std::min(room, blockSize_));
    inFlight_ = true;
    readingInto_ = b;
    if (!ahead_) {
        readResult_ = reader_.read(into);
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        job_ = into;
        jobPosted_ = true;
    }
    posted_.notify_one();
}

std::optional<std::size_t> BlockReader::finishRead() {
    inFlight_ = false;
    if (!ahead_) {
        return readResult_;
    }
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return jobDone_; });
    jobDone_ = false;
    return jobResult_;
}

void BlockReader::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        posted_.wait(lock, [this] { return jobPosted_ || quit_; });
        if (!jobPosted_) {
            return;
        }
        jobPosted_ = false;
        const std::span<std::uint8_t> into = job_;
        lock.unlock();
        const std::optional<std::size_t> got = reader_.read(into);
        lock.lock();
        jobResult_ = got;
        jobDone_ = true;
        done_.notify_one();
    }
}

}  // namespace kinfold
