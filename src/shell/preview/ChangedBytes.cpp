#include "shell/preview/ChangedBytes.h"

#include <algorithm>
#include <utility>

namespace kinfold {

ChangedBytes::ChangedBytes(std::uint64_t offset, std::vector<std::uint8_t> bytes)
    : offset_(offset), bytes_(std::move(bytes)) {}

std::uint64_t ChangedBytes::endIn(std::uint64_t fileSize) const {
    if (offset_ >= fileSize) return fileSize;
    return offset_ + std::min<std::uint64_t>(bytes_.size(), fileSize - offset_);
}

void ChangedBytes::putInto(FileWindow& window) const {
    const std::uint64_t windowEnd = window.start + window.bytes.size();
    // The new bytes end before the window starts, or start after it ends.
    if (offset_ >= windowEnd || bytes_.size() <= window.start - std::min(window.start, offset_)) return;
    const std::uint64_t from = std::max(offset_, window.start);
    const std::uint64_t to = std::min(windowEnd, offset_ + bytes_.size());
    std::copy(bytes_.begin() + static_cast<std::ptrdiff_t>(from - offset_),
              bytes_.begin() + static_cast<std::ptrdiff_t>(to - offset_),
              window.bytes.begin() + static_cast<std::ptrdiff_t>(from - window.start));
}

std::string ChangedBytes::caption() const {
    return bytes_.size() == 1 ? std::string("changed: 1 byte") : "changed: " + std::to_string(bytes_.size()) + " bytes";
}

}  // namespace kinfold
