#pragma once

#include "insert/FreeSpace.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kinfold {

// "START-END": two offsets, each decimal or hex after 0x, END exclusive; nullopt when it is not that.
std::optional<ByteRange> readFreeRange(std::string_view text);

// Ranges as "START-END", separated by commas or blanks: "0x7C000-0x80000, 0x1F000-0x20000".
// The empty text holds none. Or why not, naming the piece.
std::variant<std::vector<ByteRange>, std::string> readFreeRanges(std::string_view text);

}  // namespace kinfold
