#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kinfold {

// Where the bytes of a window of a file stand in the hex view: rows of 16
// bytes at offsets that are multiples of 16, each row's bytes in their
// columns, and after them a cell per unit (1, 2 or 4 bytes) for the unit's
// character, in the column of the unit's first byte. Units start at the
// window's first byte; a unit the window holds only part of has no cell.
class HexLayout {
public:
    static constexpr int kBytesPerRow = 16;

    HexLayout(std::uint64_t start, std::size_t size, std::uint64_t fileSize, int unitBytes);

    // Hex digits of a row's offset: enough for the file's last offset, at least 8.
    int offsetDigits() const { return offsetDigits_; }
    // The unit cells of a row.
    int cells() const { return (kBytesPerRow + unitBytes_ - 1) / unitBytes_; }
    std::size_t rows() const { return rows_; }
    std::uint64_t rowOffset(std::size_t row) const { return firstRow_ + row * kBytesPerRow; }
    // The offset of the byte in a column (0 to 15) of a row, when the window holds it.
    std::optional<std::uint64_t> byteAt(std::size_t row, int column) const;
    // The offset of the unit whose cell is a row's cell, if one is there.
    std::optional<std::uint64_t> unitInCell(std::size_t row, int cell) const;
    // The whole unit a byte of the window belongs to.
    std::optional<std::uint64_t> unitOf(std::uint64_t byte) const;
    // The first and the last byte shown; none for an empty window.
    std::optional<std::uint64_t> first() const;
    std::optional<std::uint64_t> last() const;
    // The last whole unit's offset, if the window holds one.
    std::optional<std::uint64_t> lastUnit() const;
    // The unit move bytes (a unit or a row, either way) from from, if it lies in the window.
    std::optional<std::uint64_t> moved(std::uint64_t from, std::int64_t move) const;

private:
    std::uint64_t start_;
    std::uint64_t end_;
    int unitBytes_;
    int offsetDigits_;
    std::uint64_t firstRow_;
    std::size_t rows_;
};

}  // namespace kinfold
