#pragma once

#include "table/TableDecoder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kinfold {

// The bytes before a position that an entry starting there can reach past it.
inline constexpr std::size_t kSplitReach = kMaxEntryBytes + kMaxControlParameters - 1;

// A position of a range [rangeStart, rangeEnd) where every scan by the dump
// rule is between strings whatever came before: nothing that fits the range
// starts there, and no entry starting in the kSplitReach bytes before it
// reaches past it. So every scan lands there, ends any string there and
// goes on fresh from the next byte: the strings of the range are those of
// [rangeStart, split) and those of [split + 1, rangeEnd), found apart.
//
// Gives the first such position from `from` on among those the bytes can
// tell, or none. bytes are the file's from bytesOffset on, which must be at
// most max(rangeStart, from - kSplitReach).
std::optional<std::uint64_t> splitPoint(const TableDecoder& table, std::span<const std::uint8_t> bytes,
                                        std::uint64_t bytesOffset, std::uint64_t from, std::uint64_t rangeStart,
                                        std::uint64_t rangeEnd);

}  // namespace kinfold
