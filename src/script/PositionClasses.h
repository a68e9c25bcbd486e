#pragma once

#include "search/Matcher.h"
#include "table/TableDecoder.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace kinfold {

// What the positions of a stretch of up to 64 bytes are, a bit each.
struct Stretch {
    std::uint64_t plain = 0;    // a plain byte
    std::uint64_t special = 0;  // a special position
};

// Sorts the positions of stretches of bytes through a table: plain bytes
// (their own entry a normal one, no longer entry starting there), special
// positions (an entry of another kind or a longer one starts there), and the
// rest, which no entry matches.
class PositionClasses {
public:
    PositionClasses(const TableDecoder& table, Isa isa);

    // The positions of data[0 .. width), width at most 64; data[width] must be
    // readable, since the byte after a position tells whether a longer entry starts there.
    Stretch classify(const std::uint8_t* data, std::size_t width) const;

private:
    Stretch classifyScalar(const std::uint8_t* data, std::size_t width) const;
    Stretch classifyAvx2(const std::uint8_t* data) const;
    // Turns the marks of a stretch into a Stretch, once the longer entries are checked.
    Stretch finish(const std::uint8_t* data, std::size_t width, std::uint64_t plain, std::uint64_t special,
                   std::uint64_t longer, std::uint64_t second) const;

    const TableDecoder& table_;
    bool avx2_ = false;
    // For each of the four byte classes: for each low nibble, the high
    // nibbles 0-7 (rows_[k][0]) and 8-15 (rows_[k][1]) whose byte is in it, a bit each.
    alignas(32) std::array<std::array<std::array<std::uint8_t, 16>, 2>, 4> rows_{};
};

}  // namespace kinfold
