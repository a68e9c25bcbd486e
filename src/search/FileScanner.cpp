#include "search/FileScanner.h"

#include <algorithm>
#include <new>
#include <span>
#include <utility>

namespace kinfold {

namespace {

std::unique_ptr<BlockReader> makeBlockReader(const CompiledPattern& pattern, std::size_t blockSize) {
    // A candidate keeps its first length - 1 bytes in front of the next block.
    return std::make_unique<BlockReader>(blockSize, pattern.valid() ? pattern.length() - 1 : 0);
}

}  // namespace

FileScanner::FileScanner(const CompiledPattern& pattern, std::size_t blockSize, Isa isa)
    : pattern_(pattern),
      blockSize_(std::clamp<std::size_t>(blockSize, 1, kMaxBlockSize)),
      isa_(isaAvailable(isa) ? isa : bestIsa()),
      blocks_(makeBlockReader(pattern_, blockSize_)) {}

FileScanner::FileScanner(FileScanner&& other) noexcept
    : pattern_(std::move(other.pattern_)),
      blockSize_(other.blockSize_),
      isa_(other.isa_),
      blocks_(std::move(other.blocks_)),
      path_(std::move(other.path_)),
      buffer_(std::exchange(other.buffer_, nullptr)),
      bufferStart_(other.bufferStart_),
      bufferLength_(std::exchange(other.bufferLength_, 0)),
      fileSize_(other.fileSize_),
      next_(other.next_),
      finished_(std::exchange(other.finished_, true)),
      error_(std::move(other.error_)) {}

FileScanner& FileScanner::operator=(FileScanner&& other) noexcept {
    if (this != &other) {
        pattern_ = std::move(other.pattern_);
        blockSize_ = other.blockSize_;
        isa_ = other.isa_;
        // The block reader given up here finishes its read in flight before it goes.
        blocks_ = std::move(other.blocks_);
        path_ = std::move(other.path_);
        buffer_ = std::exchange(other.buffer_, nullptr);
        bufferStart_ = other.bufferStart_;
        bufferLength_ = std::exchange(other.bufferLength_, 0);
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
    buffer_ = nullptr;
    bufferStart_ = 0;
    bufferLength_ = 0;
    fileSize_ = 0;
    next_ = 0;
    finished_ = true;
    error_.reset();
    if (!pattern_.valid()) {
        error_ = ScanError{path_, kBadPatternReason, ScanError::Stage::Open, 0};
        return false;
    }
    if (!blocks_) {
        try {
            blocks_ = makeBlockReader(pattern_, blockSize_);  // this scanner was moved from
        } catch (const std::bad_alloc&) {
            error_ = ScanError{path_, kNoMemoryReason, ScanError::Stage::Open, 0};
            return false;
        }
    }
    if (!blocks_->open(path)) {
        error_ = ScanError{path_, blocks_->reason(), ScanError::Stage::Open, 0};
        return false;
    }
    fileSize_ = blocks_->size();
    finished_ = false;
    return true;
}

void FileScanner::close() {
    if (blocks_) {
        blocks_->close();
    }
    finished_ = true;
}

void FileScanner::failRead(const std::string& reason) {
    error_ = ScanError{path_, reason, ScanError::Stage::Read, next_};
    close();
}

// Keeps the bytes from the next candidate on and takes blocks after them
// until the next candidate is whole or the file has no more.
bool FileScanner::refill() {
    const std::uint64_t target = std::min<std::uint64_t>(next_ + pattern_.length(), fileSize_);
    while (bufferStart_ + bufferLength_ < target) {
        const auto kept = static_cast<std::size_t>(bufferStart_ + bufferLength_ - next_);
        if (!blocks_->advance(kept)) {
            failRead(blocks_->reason());
            return false;
        }
        const std::span<const std::uint8_t> window = blocks_->window();
        buffer_ = window.data();
        bufferStart_ = next_;
        bufferLength_ = window.size();
        if (bufferLength_ <= kept) {
            // The reader stops at the size seen at open, so this means the file lost bytes.
            failRead(kShrankReason);
            return false;
        }
    }
    return true;
}

void FileScanner::scanUntil(std::uint64_t untilPosition, std::vector<std::uint64_t>& matches) {
    const std::uint64_t n = pattern_.length();
    while (!finished_ && next_ < untilPosition) {
        if (fileSize_ >= n && next_ <= fileSize_ - n) {
            // The candidate lies wholly inside the file.
            if (next_ + n > bufferStart_ + bufferLength_ && !refill()) {
                return;
            }
            const std::uint64_t inBuffer = bufferStart_ + bufferLength_ - n + 1 - next_;
            const std::uint64_t count = std::min(inBuffer, untilPosition - next_);
            findMatches(pattern_, buffer_ + (next_ - bufferStart_), static_cast<std::size_t>(count), next_,
                        matches, isa_);
            next_ += count;
            continue;
        }
        // The candidate reaches past the end: it is examined, never matches,
        // and ends the scan if it gets to read past the end.
        if (bufferStart_ + bufferLength_ < fileSize_ && !refill()) {
            return;
        }
        const auto inside = static_cast<std::size_t>(fileSize_ - next_);
        const std::span<const std::uint8_t> bytes(buffer_ + (next_ - bufferStart_), inside);
        ++next_;
        if (pattern_.passesInside(bytes)) {
            close();
        }
    }
}

}  // namespace kinfold
