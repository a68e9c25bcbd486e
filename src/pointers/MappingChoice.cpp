#include "pointers/MappingChoice.h"

#include "search/FileReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <string>
#include <utility>

namespace kinfold {
namespace {

constexpr std::uint64_t kCopierHeader = 512;
constexpr std::uint64_t kLoromHeader = 0x7FC0;
constexpr std::uint64_t kHiromHeader = 0xFFC0;
constexpr std::size_t kHeaderBytes = 0x20;
constexpr std::size_t kMapMode = 0x15;
constexpr std::size_t kComplement = 0x1C;
constexpr std::size_t kChecksum = 0x1E;
// Enough of the file's start for the mappings' header rules: an iNES header.
constexpr std::size_t kFirstBytes = 16;

// Whether the internal header at offset is there and names a map of the kind
// wanted: the map mode with its fast-ROM bit cleared is one of the kind's,
// and the checksum and its complement add up to 0xFFFF.
bool headerSays(const FileReader& reader, std::uint64_t offset, bool hirom) {
    std::array<std::uint8_t, kHeaderBytes> bytes{};
    if (offset + kHeaderBytes > reader.size() || reader.readAt(offset, bytes).got != bytes.size()) {
        return false;
    }
    const unsigned mode = bytes[kMapMode] & 0xEFu;
    const bool kindMatches = hirom ? (mode == 0x21 || mode == 0x25) : (mode == 0x20 || mode == 0x22 || mode == 0x23);
    const unsigned complement = bytes[kComplement] | (bytes[kComplement + 1] << 8);
    const unsigned checksum = bytes[kChecksum] | (bytes[kChecksum + 1] << 8);
    return kindMatches && (complement ^ checksum) == 0xFFFF;
}

}  // namespace

std::optional<MappingKind> mappingForExtension(const std::filesystem::path& path) {
    std::string extension = pathText(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gb" || extension == ".gbc") {
        return MappingKind::Gb;
    }
    if (extension == ".nes") {
        return MappingKind::Nes;
    }
    if (extension == ".sfc" || extension == ".smc") {
        return MappingKind::SnesLorom;
    }
    if (extension == ".gba") {
        return MappingKind::Gba;
    }
    return std::nullopt;
}

bool saysHirom(const FileReader& reader) {
    const std::uint64_t header = reader.size() % 1024 == kCopierHeader ? kCopierHeader : 0;
    return headerSays(reader, header + kHiromHeader, true) && !headerSays(reader, header + kLoromHeader, false);
}

std::optional<MappingKind> chooseMapping(const std::filesystem::path& path, const FileReader& reader) {
    const std::optional<MappingKind> kind = mappingForExtension(path);
    if (kind == MappingKind::SnesLorom && saysHirom(reader)) {
        return MappingKind::SnesHirom;
    }
    return kind;
}

std::variant<PointerMapping, MappingRefusal> mappingOfFile(std::optional<MappingKind> kind, PointerFormat format,
                                                           const std::filesystem::path& path,
                                                           const FileReader& reader) {
    if (!kind) {
        kind = chooseMapping(path, reader);
        if (!kind) {
            return MappingRefusal{};
        }
    }
    format.kind = *kind;
    if (std::optional<std::string> problem = formatProblem(format)) {
        return MappingRefusal{kind, std::move(*problem)};
    }
    std::array<std::uint8_t, kFirstBytes> first{};
    const std::size_t got = reader.readAt(0, first).got;
    return PointerMapping(format, reader.size(), std::span(first).first(got));
}

}  // namespace kinfold
