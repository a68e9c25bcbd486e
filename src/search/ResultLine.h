#pragma once

#include <cstdint>
#include <string>

namespace kinfold {

// The results-list line of a match: its 0-based offset in decimal, then in
// upper-case hex: "4660 (1234 hex)".
std::string resultLine(std::uint64_t offset);

}  // namespace kinfold
