#include "shell/preview/HexLayout.h"

#include <algorithm>

namespace kinfold {

namespace {
int hexDigitsOf(std::uint64_t value) {
    int digits = 1;
    while (value >>= 4) ++digits;
    return digits;
}
}  // namespace

HexLayout::HexLayout(std::uint64_t start, std::size_t size, std::uint64_t fileSize, int unitBytes)
    : start_(start),
      end_(start + size),
      unitBytes_(std::max(1, unitBytes)),
      offsetDigits_(std::max(8, hexDigitsOf(fileSize == 0 ? 0 : fileSize - 1))),
      firstRow_(start / kBytesPerRow * kBytesPerRow),
      rows_(size == 0 ? 0 : static_cast<std::size_t>((end_ - firstRow_ + kBytesPerRow - 1) / kBytesPerRow)) {}

std::optional<std::uint64_t> HexLayout::byteAt(std::size_t row, int column) const {
    if (row >= rows_ || column < 0 || column >= kBytesPerRow) return std::nullopt;
    const std::uint64_t at = rowOffset(row) + static_cast<std::uint64_t>(column);
    if (at < start_ || at >= end_) return std::nullopt;
    return at;
}

std::optional<std::uint64_t> HexLayout::unitInCell(std::size_t row, int cell) const {
    if (row >= rows_ || cell < 0 || cell >= cells()) return std::nullopt;
    const auto unit = static_cast<std::uint64_t>(unitBytes_);
    const std::uint64_t rowStart = rowOffset(row);
    // The first unit that starts in this row.
    const std::uint64_t from = std::max(rowStart, start_);
    const std::uint64_t firstUnit = start_ + (from - start_ + unit - 1) / unit * unit;
    for (std::uint64_t at = firstUnit; at < rowStart + kBytesPerRow && at + unit <= end_; at += unit) {
        if ((at - rowStart) / unit == static_cast<std::uint64_t>(cell)) return at;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> HexLayout::unitOf(std::uint64_t byte) const {
    if (byte < start_ || byte >= end_) return std::nullopt;
    const auto unit = static_cast<std::uint64_t>(unitBytes_);
    const std::uint64_t at = start_ + (byte - start_) / unit * unit;
    if (at + unit > end_) return std::nullopt;
    return at;
}

std::optional<std::uint64_t> HexLayout::first() const {
    if (end_ == start_) return std::nullopt;
    return start_;
}

std::optional<std::uint64_t> HexLayout::last() const {
    if (end_ == start_) return std::nullopt;
    return end_ - 1;
}

std::optional<std::uint64_t> HexLayout::lastUnit() const {
    const auto unit = static_cast<std::uint64_t>(unitBytes_);
    if (end_ - start_ < unit) return std::nullopt;
    return start_ + ((end_ - start_) / unit - 1) * unit;
}

std::optional<std::uint64_t> HexLayout::moved(std::uint64_t from, std::int64_t move) const {
    const std::optional<std::uint64_t> lastOne = lastUnit();
    if (!lastOne) return std::nullopt;
    const auto magnitude = move < 0 ? 0 - static_cast<std::uint64_t>(move) : static_cast<std::uint64_t>(move);
    if (move < 0 && (from < magnitude || from - magnitude < start_)) return std::nullopt;
    const std::uint64_t to = move < 0 ? from - magnitude : from + magnitude;
    if (to < start_ || to > *lastOne) return std::nullopt;
    return to;
}

}  // namespace kinfold
