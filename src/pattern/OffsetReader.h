#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace kinfold {

// An offset as every option and field that takes one reads it: decimal
// digits, or hex digits after "0x" or "0X", with nothing before or after
// them (no blank, no sign), from 0 to 2^64 - 1. Bases and bank numbers are
// read the same way.
//
// The offset, or why the text is none as a sentence that names the text:
//   "TEXT" is not an offset: give a number in decimal, or in hex after 0x.
//   "TEXT" is too large for an offset: the largest is 18446744073709551615 (0xFFFFFFFFFFFFFFFF).
std::variant<std::uint64_t, std::string> readOffset(std::string_view text);

}  // namespace kinfold
