#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace kinfold {

// The consoles whose headers hold a checksum of the ROM.
enum class Console { None, GameBoy, Snes, Gba };

// By the file's extension (any case): .gb .gbc, .sfc .smc, .gba.
Console consoleOf(const std::filesystem::path& path);

// The Game Boy's header checksum, stored at 0x14D: 0 less each byte of
// 0x134..0x14C less one. The ROM holds at least 0x150 bytes.
std::uint8_t gameBoyHeaderChecksum(std::span<const std::uint8_t> rom);
// The Game Boy's global checksum, stored big-endian at 0x14E: the 16-bit sum
// of every byte but those two.
std::uint16_t gameBoyGlobalChecksum(std::span<const std::uint8_t> rom);

// The SNES checksum of an image without its copier header, its internal
// header's four checksum bytes at place (complement, then checksum, each
// little-endian) counted as FF FF 00 00: the sum of every byte, and for a
// size that is not a power of two the part past the largest power of two
// counted again and again until it fills one.
std::uint16_t snesChecksum(std::span<const std::uint8_t> image, std::size_t place);
// Where a SNES internal header's checksum bytes lie in the file: 0x7FDC
// (LoROM), 0xFFDC (HiROM), each 512 later after a copier header.
std::vector<std::size_t> snesChecksumPlaces(std::size_t fileSize);

// The GBA header's complement, stored at 0xBD: 0 less each byte of
// 0xA0..0xBC, less 0x19. The ROM holds at least 0xC0 bytes.
std::uint8_t gbaComplement(std::span<const std::uint8_t> rom);

// For each checksum of the console that is right in source, the same
// checksum made right in target, which has source's size: the names of
// those whose bytes changed ("Game Boy header", "Game Boy global", "SNES",
// "GBA header"). A checksum that was wrong is left as it is. For a SNES
// image, the first of the LoROM and HiROM places whose checksum is right.
std::vector<std::string> keepChecksumsRight(Console console, std::span<const std::uint8_t> source,
                                            std::span<std::uint8_t> target);

}  // namespace kinfold
