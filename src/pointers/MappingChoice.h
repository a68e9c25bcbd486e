#pragma once

#include "pointers/PointerMapping.h"

#include <filesystem>
#include <optional>

namespace kinfold {

class FileReader;

// The mapping a file's extension stands for (any case): .gb and .gbc gb,
// .nes nes, .sfc and .smc snes-lorom, .gba gba; nullopt for any other.
std::optional<MappingKind> mappingForExtension(const std::filesystem::path& path);

// Whether a SNES image says it is HiROM: the internal header at the HiROM
// place (0xFFC0 after a copier's header) has a HiROM map mode and a checksum
// whose complement checks out, and the one at the LoROM place (0x7FC0) does
// not pass the same test for LoROM. A file too short for either is LoROM.
bool saysHirom(const FileReader& reader);

// The mapping for --map auto: by the extension, with a .sfc or .smc image
// that says it is HiROM taken as snes-hirom.
std::optional<MappingKind> chooseMapping(const std::filesystem::path& path, const FileReader& reader);

}  // namespace kinfold
