#include "search/FileScanner.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

namespace kinfold {

FileScanner::FileScanner(const CompiledPattern& pattern, std::size_t blockSize, Isa isa)
    : pattern_(pattern), blockSize_(std::max<std::size_t>(blockSize, 1)), isa_(isaAvailable(isa) ? isa : bestIsa()) {}

FileScanner::FileScanner(FileScanner&& other) noexcept
    : pattern_(std::move(other.pattern_)),
      blockSize_(other.blockSize_),
      isa_(other.isa_),
      reader_(std::move(other.reader_)),
      path_(std::move(other.path_)),
      buffer_(std::move(other.buffer_)),
      bufferStart_(other.bufferStart_),
      bufferLength_(other.bufferLength_),
      fileSize_(other.fileSize_),
      next_(other.next_),
      finished_(std::exchange(other.finished_, true)),
      error_(std::move(other.error_)) {}

FileScanner& FileScanner::operator=(FileScanner&& other) noexcept {
    if (this != &other) {
        pattern_ = std::move(other.pattern_);
        blockSize_ = other.blockSize_;
        isa_ = other.isa_;
        reader_ = std::move(other.reader_);
        path_ = std::move(other.path_);
        buffer_ = std::move(other.buffer_);
        bufferStart_ = other.bufferStart_;
        bufferLength_ = other.bufferLength_;
        fileSize_ = other.fileSize_;
        next_ = other.next_;
        finished_ = std::exchange(other.finished_, true);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool FileScanner::open(const std::filesystem::path& path) {
    reader_.close();
    path_ = pathText(path);
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
    if (!reader_.open(path)) {
        error_ = ScanError{path_, reader_.reason(), ScanError::Stage::Open, 0};
        return false;
    }
    fileSize_ = reader_.size();
    // A block after the last length - 1 bytes of the one before.
    buffer_.resize(blockSize_ + pattern_.length() - 1);
    finished_ = false;
    return true;
}

void FileScanner::close() {
    reader_.close();
    finished_ = true;
}

void FileScanner::failRead(const std::string& reason) {
    error_ = ScanError{path_, reason, ScanError::Stage::Read, next_};
    close();
}

// Moves the bytes from the next candidate on to the front and reads blocks
// after them until the next candidate is whole or the file has no more.
bool FileScanner::refill() {
    const std::uint64_t bufferEnd = bufferStart_ + bufferLength_;
    const auto kept = static_cast<std::size_t>(bufferEnd - next_);
    if (kept != 0) {
        std::memmove(buffer_.data(), buffer_.data() + (next_ - bufferStart_), kept);
    }
    bufferStart_ = next_;
    bufferLength_ = kept;
    const std::uint64_t target = std::min<std::uint64_t>(next_ + pattern_.length(), fileSize_);
    while (bufferStart_ + bufferLength_ < target) {
        const std::size_t room = std::min(blockSize_, buffer_.size() - bufferLength_);
        const std::optional<std::size_t> got =
            reader_.read(std::span<std::uint8_t>(buffer_.data() + bufferLength_, room));
        if (!got) {
            failRead(reader_.reason());
            return false;
        }
        bufferLength_ += *got;
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
            findMatches(pattern_, buffer_.data() + (next_ - bufferStart_), static_cast<std::size_t>(count), next_,
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
        const std::span<const std::uint8_t> bytes(buffer_.data() + (next_ - bufferStart_), inside);
        ++next_;
        if (pattern_.passesInside(bytes)) {
            close();
        }
    }
}

}  // namespace kinfold
