#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kinfold {

// The CRC-32 of bytes as zlib and the BPS format compute it.
std::uint32_t crc32Of(std::span<const std::uint8_t> bytes);

// The CRC-32 as a patch's messages show it: eight upper-case hex digits.
std::string crc32Text(std::uint32_t crc);

}  // namespace kinfold
