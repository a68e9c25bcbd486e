#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kinfold {

// Bytes [start, end) of a file.
struct ByteRange {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    friend bool operator==(const ByteRange&, const ByteRange&) = default;
};

// The free space strings move into: ranges handed out from their first
// unused byte on, in offset order.
class FreeSpace {
public:
    // The ranges (in any order, overlapping or not) less the taken ones, cut
    // at origin + k * cut for every k when cut is not 0, so that no string
    // placed in them crosses such a boundary.
    FreeSpace(std::vector<ByteRange> ranges, std::vector<ByteRange> taken, std::uint64_t origin, std::uint64_t cut);

    // The first unused byte of the first range starting within `within` with
    // room for length bytes, those bytes then used; nullopt when none has room.
    std::optional<std::uint64_t> take(std::uint64_t length, ByteRange within);
    // The most room any range starting within `within` has left.
    std::uint64_t largestRoom(ByteRange within) const;
    // The bytes of every range not yet used.
    std::uint64_t left() const { return left_; }
    // The ranges, each from its first unused byte.
    std::vector<ByteRange> unused() const;

private:
    std::size_t firstAt(std::uint64_t offset) const;
    void update(std::size_t segment);
    // The first segment of [from, to) with room for length, or to.
    std::size_t firstWithRoom(std::size_t node, std::size_t low, std::size_t high, std::size_t from, std::size_t to,
                              std::uint64_t length) const;
    std::uint64_t mostRoom(std::size_t node, std::size_t low, std::size_t high, std::size_t from, std::size_t to) const;

    std::vector<ByteRange> segments_;         // start is the first unused byte
    std::vector<std::uint64_t> firstStarts_;  // where each segment began, for finding them
    std::vector<std::uint64_t> tree_;         // the most room of each node's segments
    std::size_t leaves_ = 1;
    std::uint64_t left_ = 0;
};

}  // namespace kinfold
