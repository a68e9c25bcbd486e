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

bool BlockJobs::open(const std::filesystem::path& path, bool allowThread) {
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
    ahead_ = allowThread && jobCount_ > 1 && blockSize_ >= kMinAheadBlock;
    if (ahead_ && !thread_.joinable()) {
        try {
            thread_ = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            ahead_ = false;  // no thread to be had: the caller does every job instead
        }
    }
    // A job reads its block and the length - 1 bytes its last candidates reach past it.
    const auto capacity = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_ + n - 1, size_));
    if (!callerBuffer_.reserve(capacity) || (ahead_ && !threadBuffer_.reserve(capacity))) {
        return fail(kNoMemoryReason);
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

bool BlockJobs::Buffer::reserve(std::size_t wanted) {
    if (capacity >= wanted) {
        return true;
    }
    bytes.reset();
    capacity = 0;
    try {
        bytes.reset(static_cast<std::uint8_t*>(::operator new[](wanted, kAlignment)));
    } catch (const std::bad_alloc&) {
        return false;
    }
    capacity = wanted;
    return true;
}

void BlockJobs::run(std::uint64_t k, Buffer& buffer) {
    BlockResult& result = resultOf(k);
    result.matches.clear();
    result.reason.clear();
    const std::uint64_t first = k * blockSize_;
    const auto candidates = static_cast<std::size_t>(std::min<std::uint64_t>(blockSize_, insideEnd_ - first));
    const std::size_t reach = pattern_.length() - 1;
    PositionalRead read = reader_.readAt(first, std::span<std::uint8_t>(buffer.bytes.get(), candidates + reach));
    // The candidates whose bytes all came.
    std::size_t examined = read.got > reach ? std::min(candidates, read.got - reach) : 0;
    try {
        findMatches(pattern_, buffer.bytes.get(), examined, first, result.matches, isa_);
        if (k + 1 == jobCount_ && examined == candidates) {
            // The candidates reaching past the end check these after the last job.
            const std::uint8_t* from = buffer.bytes.get() + (insideEnd_ - first);
            end_.assign(from, from + (size_ - insideEnd_));
        }
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
            run(j, callerBuffer_);
            lock.lock();
            finished_[j % kSlots] = j;
        } else {
            done_.wait(lock);
        }
    }
    return resultOf(k);
}

std::optional<std::span<const std::uint8_t>> BlockJobs::endBytes() {
    if (jobCount_ > 0) {
        return std::span<const std::uint8_t>(end_);  // the caller took the last job, which kept them
    }
    const auto count = static_cast<std::size_t>(size_);
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
        run(j, threadBuffer_);
        lock.lock();
        finished_[j % kSlots] = j;
        working_ = false;
        done_.notify_all();
    }
}

}  // namespace kinfold
