#pragma once

#include "search/Matcher.h"
#include "table/TableDecoder.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace kinfold {

// What the positions of a stretch of up to 64 bytes are, a bit each.
struct Stretch {
    std::uint64_t plain = 0;    // a plain byte, or a bare line break
    std::uint64_t breaks = 0;   // a bare line break
    std::uint64_t ends = 0;     // a bare end token
    std::uint64_t special = 0;  // a special position
};

// Sorts the positions of stretches of bytes through a table: plain bytes
// (their own entry a normal one, no longer entry starting there), bare line
// breaks and end tokens (of one byte with no text of their own, no longer
// entry starting there), special positions (an entry of another kind or a
// longer one starts there), and the rest, which no entry matches. Where a
// longer entry starts, a position is special whatever else it is marked.
class PositionClasses {
public:
    static constexpr std::size_t kWidth = 64;

    PositionClasses(const TableDecoder& table, Isa isa);

    // The positions of data[0 .. width), width at most 64; data[width] must be
    // readable, since the byte after a position tells whether a longer entry starts there.
    Stretch classify(const std::uint8_t* data, std::size_t width) const;
    // The same for count whole stretches one after another into out; data[64 * count] must be readable.
    void classify(const std::uint8_t* data, std::size_t count, Stretch* out) const;

private:
    // The classes of a byte, a bit each: a plain byte or a bare line break,
    // a special byte, the first and the second byte of a longer entry, a bare
    // line break or end token.
    static constexpr std::size_t kClasses = 5;

    Stretch classifyScalar(const std::uint8_t* data, std::size_t width) const;
    void classifyAvx2(const std::uint8_t* data, std::size_t count, Stretch* out) const;
    // Turns the marks of a stretch into a Stretch, once the longer entries are checked.
    Stretch finish(const std::uint8_t* data, std::size_t width, const std::uint64_t (&marks)[kClasses]) const;

    const TableDecoder& table_;
    bool avx2_ = false;
    bool bare_ = false;  // whether any byte is a bare line break or end token
    std::array<std::uint8_t, 256> classes_{};
    // For each of the byte classes: for each low nibble, the high nibbles 0-7
    // (rows_[k][0]) and 8-15 (rows_[k][1]) whose byte is in it, a bit each.
    alignas(32) std::array<std::array<std::array<std::uint8_t, 16>, 2>, kClasses> rows_{};
};

}  // namespace kinfold
