#include "search/FileScanner.h"

#include <algorithm>
#include <new>
#include <utility>

namespace kinfold {

FileScanner::FileScanner(const CompiledPattern& pattern, std::size_t blockSize, Isa isa)
    : pattern_(pattern),
      blockSize_(std::clamp<std::size_t>(blockSize, 1, kMaxBlockSize)),
      isa_(isaAvailable(isa) ? isa : bestIsa()) {}

FileScanner::FileScanner(FileScanner&& other) noexcept
    : pattern_(std::move(other.pattern_)),
      blockSize_(other.blockSize_),
      isa_(other.isa_),
      readAhead_(other.readAhead_),
      jobs_(std::move(other.jobs_)),
      path_(std::move(other.path_)),
      block_(std::exchange(other.block_, nullptr)),
      blockEnd_(other.blockEnd_),
      nextMatch_(other.nextMatch_),
      endBytes_(std::exchange(other.endBytes_, std::nullopt)),
      fileSize_(other.fileSize_),
      next_(other.next_),
      finished_(std::exchange(other.finished_, true)),
      error_(std::move(other.error_)) {}

FileScanner& FileScanner::operator=(FileScanner&& other) noexcept {
    if (this != &other) {
        pattern_ = std::move(other.pattern_);
        blockSize_ = other.blockSize_;
        isa_ = other.isa_;
        readAhead_ = other.readAhead_;
        // The jobs given up here finish the block in flight before they go.
        jobs_ = std::move(other.jobs_);
        path_ = std::move(other.path_);
        block_ = std::exchange(other.block_, nullptr);
        blockEnd_ = other.blockEnd_;
        nextMatch_ = other.nextMatch_;
        endBytes_ = std::exchange(other.endBytes_, std::nullopt);
        fileSize_ = other.fileSize_;
        next_ = other.next_;
        finished_ = std::exchange(other.finished_, true);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool FileScanner::open(const std::filesystem::path& path) {
    close();
    path_ = pathText(path);
    block_ = nullptr;
    blockEnd_ = 0;
    nextMatch_ = 0;
    endBytes_.reset();
    fileSize_ = 0;
    next_ = 0;
    finished_ = true;
    error_.reset();
    if (!pattern_.valid()) {
        error_ = ScanError{path_, kBadPatternReason, ScanError::Stage::Open, 0};
        return false;
    }
    if (!jobs_) {
        try {
            jobs_ = std::make_unique<BlockJobs>(pattern_, blockSize_, isa_);
        } catch (const std::bad_alloc&) {
            error_ = ScanError{path_, kNoMemoryReason, ScanError::Stage::Open, 0};
            return false;
        }
    }
    if (!jobs_->open(path, readAhead_)) {
        error_ = ScanError{path_, jobs_->reason(), ScanError::Stage::Open, 0};
        return false;
    }
    fileSize_ = jobs_->size();
    finished_ = false;
    return true;
}

void FileScanner::close() {
    if (jobs_) {
        jobs_->close();
    }
    block_ = nullptr;
    endBytes_.reset();
    finished_ = true;
}

void FileScanner::failRead(const std::string& reason) {
    error_ = ScanError{path_, reason, ScanError::Stage::Read, next_};
    close();
}

void FileScanner::scanUntil(std::uint64_t untilPosition, std::vector<std::uint64_t>& matches) {
    while (!finished_ && next_ < untilPosition) {
        const std::uint64_t insideEnd = jobs_->insideEnd();
        if (next_ < insideEnd) {
            // The candidate lies wholly inside the file.
            if (block_ == nullptr || next_ >= blockEnd_) {
                const std::uint64_t k = next_ / blockSize_;
                block_ = &jobs_->job(k);
                blockEnd_ = std::min<std::uint64_t>((k + 1) * blockSize_, insideEnd);
                nextMatch_ = 0;
            }
            if (next_ >= block_->end) {
                // The first candidate that needed a byte the block's read could not give.
                failRead(block_->reason);
                return;
            }
            const std::uint64_t stop = std::min(untilPosition, block_->end);
            const auto from = block_->matches.begin() + static_cast<std::ptrdiff_t>(nextMatch_);
            const auto to = std::lower_bound(from, block_->matches.end(), stop);
            matches.insert(matches.end(), from, to);
            nextMatch_ = static_cast<std::size_t>(to - block_->matches.begin());
            next_ = stop;
            continue;
        }
        // The candidate reaches past the end: it is examined, never matches,
        // and ends the scan if it gets to read past the end.
        if (!endBytes_) {
            endBytes_ = jobs_->endBytes();
            if (!endBytes_) {
                failRead(jobs_->reason());
                return;
            }
        }
        const std::span<const std::uint8_t> bytes = endBytes_->subspan(static_cast<std::size_t>(next_ - insideEnd));
        ++next_;
        if (pattern_.passesInside(bytes)) {
            close();
        }
    }
}

}  // namespace kinfold
