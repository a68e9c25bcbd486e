#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kinfold {

// Where target first differs from source at or after from; a byte past the
// end of source always differs. target.size() when none does.
inline std::size_t nextChange(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                              std::size_t from) {
    const std::size_t common = std::min(source.size(), target.size());
    std::size_t at = from;
    // Eight bytes at a time over the long unchanged stretches.
    while (at + 8 <= common) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, source.data() + at, 8);
        std::memcpy(&b, target.data() + at, 8);
        if (a != b) break;
        at += 8;
    }
    while (at < common && source[at] == target[at]) ++at;
    return std::min(at, target.size());
}

// Where the stretch of changed bytes from from ends: the first byte at or
// after from that target shares with source.
inline std::size_t changeEnd(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                             std::size_t from) {
    std::size_t at = from;
    while (at < target.size() && (at >= source.size() || source[at] != target[at])) ++at;
    return at;
}

}  // namespace kinfold
