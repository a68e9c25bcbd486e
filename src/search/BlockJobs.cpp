#include "search/BlockJobs.h"

#include "search/ScanError.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

namespace kinfold {

BlockJobs::BlockJobs(const CompiledPattern& pattern, std::size_t blockSize, Isa isa)
    : pattern_(pattern), blockSize_(std::max<std::size_t>(blockSize, 1)), isa_(isa) {}

BlockJobs::~BlockJobs() {
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

bool BlockJobs::fail(std::string reason) {
    close();
    reason_ = std::move(reason);
    return false;
}

bool BlockJobs::open(const std::filesystem::path& path) {
    close();
    size_ = 0;
    insideEnd_ = 0;
    jobCount_ = 0;
    end_.clear();
    reason_.clear();
    if (!reader_.open(path)) {
        return fail(reader_.reason());
    }
    size_ = reader_.size();
    const std::uint64_t n = pattern_.length();
    insideEnd_ = size_ >= n ? size_ - n + 1 : 0;
    jobCount_ = insideEnd_ / blockSize_ + (insideEnd_ % blockSize_ != 0 ? 1 : 0);
    ahead_ = jobCount_ > 1 && blockSize_ >= kMinAheadBlock;
    if (ahead_ && !thread_.joinable()) {
        try {
            thread_ = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            ahead_ = false;  // no thread to be had: the caller does every job instead
        }
    }
    // A job reads its block and the length - 1 bytes its last candidates reach past it.
    const auto capacity = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_ + n - 1, size_));
    for (std::uint64_t s = 0; s < std::min(jobCount_, kSlots); ++s) {
        Slot& slot = slots_[s];
        if (slot.capacity >= capacity) {
            continue;
        }
        slot.buffer.reset();
        slot.capacity = 0;
        try {
            slot.buffer = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        } catch (const std::bad_alloc&) {
            return fail(kNoMemoryReason);
        }
        slot.capacity = capacity;
    }
    {
        const std::lock_guard lock(mutex_);
        next_ = 0;
        current_ = 0;
        std::fill(std::begin(finished_), std::end(finished_), kNone);
        active_ = ahead_;
    }
    if (ahead_) {
        wake_.notify_one();
    }
    return true;
}

void BlockJobs::close() {
    {
        std::unique_lock lock(mutex_);
        active_ = false;
        done_.wait(lock, [this] { return !working_; });
    }
    reader_.close();
}

void BlockJobs::run(std::uint64_t k) {
    Slot& slot = slotOf(k);
    BlockResult& result = slot.result;
    result.matches.clear();
    result.reason.clear();
    const std::uint64_t first = k * blockSize_;
    const auto candidates = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, insideEnd_ - first));
    const std::size_t reach = pattern_.length() - 1;
    PositionalRead read = reader_.readAt(first, std::span<std::uint8_t>(slot.buffer.get(), candidates + reach));
    // The candidates whose bytes all came.
    std::size_t examined = read.got > reach ? std::min(candidates, read.got - reach) : 0;
    try {
        findMatches(pattern_, slot.buffer.get(), examined, first, result.matches, isa_);
    } catch (const std::bad_alloc&) {
        result.matches.clear();
        result.matches.shrink_to_fit();
        examined = 0;
        read.reason = kNoMemoryReason;
    }
    result.end = first + examined;
    if (examined < candidates) {
        result.reason = read.reason.empty() ? std::string(kShrankReason) : std::move(read.reason);
    }
}

const BlockResult& BlockJobs::job(std::uint64_t k) {
    std::unique_lock lock(mutex_);
    current_ = k;
    if (ahead_) {
        wake_.notify_one();  // the slot of the job before is free for the one two ahead
    }
    while (finished_[k % kSlots] != k) {
        if (next_ < jobCount_ && next_ <= k + 2) {
            // Nobody has started this one (or, while the thread does job k, the
            // next one): doing it here keeps this core busy instead of waiting.
            const std::uint64_t j = next_++;
            lock.unlock();
            run(j);
            lock.lock();
            finished_[j % kSlots] = j;
        } else {
            done_.wait(lock);
        }
    }
    return slotOf(k).result;
}

std::optional<std::span<const std::uint8_t>> BlockJobs::endBytes() {
    const std::size_t count = static_cast<std::size_t>(size_ - insideEnd_);
    if (jobCount_ > 0) {
        // The caller is on the last job, whose bytes reach the end of the file.
        const std::uint64_t last = jobCount_ - 1;
        return std::span<const std::uint8_t>(slotOf(last).buffer.get() + (insideEnd_ - last * blockSize_), count);
    }
    try {
        end_.resize(count);
    } catch (const std::bad_alloc&) {
        reason_ = kNoMemoryReason;
        return std::nullopt;
    }
    PositionalRead read = reader_.readAt(0, end_);
    if (read.got < count) {
        reason_ = read.reason.empty() ? std::string(kShrankReason) : std::move(read.reason);
        return std::nullopt;
    }
    return std::span<const std::uint8_t>(end_);
}

void BlockJobs::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Job j goes into slot j % 3, which is free while j is at most two past the caller's.
        wake_.wait(lock, [this] { return quit_ || (active_ && next_ < jobCount_ && next_ <= current_ + 2); });
        if (quit_) {
            return;
        }
        const std::uint64_t j = next_++;
        working_ = true;
        lock.unlock();
        run(j);
        lock.lock();
        finished_[j % kSlots] = j;
        working_ = false;
        done_.notify_all();
    }
}

}  // namespace kinfold
