#pragma once

#include "pointers/PointerMapping.h"

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

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

// The mapping chosen by the file itself: by the extension, with a .sfc or
// .smc image that says it is HiROM taken as snes-hirom.
std::optional<MappingKind> chooseMapping(const std::filesystem::path& path, const FileReader& reader);

// Why a file has no mapping.
struct MappingRefusal {
    // The kind the file was to be read as; nullopt when it was to be chosen
    // by the file and its extension stands for none.
    std::optional<MappingKind> kind;
    // With a kind: why the format doesn't suit it, as formatProblem() says.
    std::string reason;
};

// The mapping of an open file: of the kind given, or when kind is nullopt of
// the one chooseMapping() finds, with the format's width, byte order and
// base (its kind is passed over); placed by the file's size and its first 16
// bytes (an iNES header).
std::variant<PointerMapping, MappingRefusal> mappingOfFile(std::optional<MappingKind> kind, PointerFormat format,
                                                           const std::filesystem::path& path, const FileReader& reader);

}  // namespace kinfold
