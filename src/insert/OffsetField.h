#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kinfold {

// An offset as the dump and `kinfold pointers` write it: "4660 (1234 hex)".
struct OffsetField {
    std::uint64_t value = 0;
    std::size_t end = 0;  // where the text after it starts
    bool agrees = true;   // the decimal and the hex are the same number
};

// The offset written at text[at], or nullopt when none is written there.
std::optional<OffsetField> readOffsetField(std::string_view text, std::size_t at);

}  // namespace kinfold
