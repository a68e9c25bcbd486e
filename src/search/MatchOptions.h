#pragma once

#include <cstdint>

namespace kinfold {

enum class ByteOrder { Little, Big };

// How a file's bytes are read as values and which candidates and entries are
// checked. The defaults are the window's search: single bytes at every offset,
// an entry equal to the one before it accepting anything.
struct MatchOptions {
    int width = 8;                            // bits per value: 8, 16, 24 or 32
    ByteOrder byteOrder = ByteOrder::Little;  // meaningless at 8 bits
    bool aligned = false;                     // candidates only at multiples of unitBytes()
    bool exactRepeats = false;                // an entry equal to the one before must be the same value

    int unitBytes() const { return width / 8; }
    static bool validWidth(int bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }
    friend bool operator==(const MatchOptions&, const MatchOptions&) = default;
};

// The unsigned value of the unitBytes() bytes at p, in the given byte order.
inline std::uint32_t readUnit(const std::uint8_t* p, int unitBytes, ByteOrder order) {
    std::uint32_t v = 0;
    for (int k = 0; k < unitBytes; ++k) {
        const int i = order == ByteOrder::Little ? unitBytes - 1 - k : k;
        v = (v << 8) | p[i];
    }
    return v;
}

}  // namespace kinfold
