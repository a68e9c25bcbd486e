#pragma once

#include "search/MatchOptions.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kinfold {

// How a console maps the cartridge into memory, and so what a pointer to a
// byte of the file holds.
enum class MappingKind { Linear, Gb, Nes, SnesLorom, SnesHirom, Gba };

// "linear", "gb", "nes", "snes-lorom", "snes-hirom", "gba".
std::string_view mappingName(MappingKind kind);
std::optional<MappingKind> mappingNamed(std::string_view name);
// Every name, in the order above, separated by ", ".
std::string mappingNames();

// The pointers a search or a pointer table reads: which mapping, and for a
// linear one how wide, in which byte order and from which base.
struct PointerFormat {
    MappingKind kind = MappingKind::Linear;
    int width = 0;  // bits; 0 for the mapping's default
    ByteOrder byteOrder = ByteOrder::Little;
    std::uint64_t base = 0;
};

// The widths a mapping takes: linear 16, 24 or 32 (32 by default); gb and
// nes 16; snes-lorom and snes-hirom 16 or 24 (16 by default); gba 32.
bool takesWidth(MappingKind kind, int bits);
int defaultWidth(MappingKind kind);
// Why a format can't be used: the part of it at fault and the reason, in a
// sentence. Only a linear mapping takes a big-endian byte order or a base,
// and the base must leave room for a pointer of the width.
struct FormatFault {
    enum class Part { Width, ByteOrder, Base };
    Part part = Part::Width;
    std::string reason;
};
// nullopt when the format can be used.
std::optional<FormatFault> formatFault(const PointerFormat& format);
// The fault's reason alone.
std::optional<std::string> formatProblem(const PointerFormat& format);

// Whether the format's pointers reach into banks of the file, 16 bits each:
// gb, nes, and snes-lorom and snes-hirom at 16 bits.
bool isBanked(const PointerFormat& format);

// The values a pointer to a file offset holds: one or two.
struct PointerValues {
    std::uint32_t value[2] = {0, 0};
    int count = 0;
};

// A mapping applied to one file: its header (an iNES header, a copier's
// header) moves every offset, and for the NES it tells where the fixed bank
// is. With x = offset - header:
//   linear      base + offset, when it fits the width
//   gb          x below 0x4000, else 0x4000 + x mod 0x4000
//   nes         0x8000 + x mod 0x4000 and 0xC000 + x mod 0x4000
//   snes-lorom  16 bits: 0x8000 + x mod 0x8000; 24 bits: b * 0x10000 + 0x8000 + x mod 0x8000 with
//               b = x div 0x8000, and the same with b + 0x80
//   snes-hirom  16 bits: x mod 0x10000; 24 bits: 0xC00000 + x and 0x400000 + x
//   gba         0x08000000 + offset
// Values that don't fit the pointer's width are left out. An offset in the
// header has no pointer.
class PointerMapping {
public:
    // The format must be one formatProblem() accepts. firstBytes: the file's
    // first bytes, 16 of them when the file has that many.
    PointerMapping(const PointerFormat& format, std::uint64_t fileSize, std::span<const std::uint8_t> firstBytes);

    MappingKind kind() const { return kind_; }
    int width() const { return width_; }
    int pointerBytes() const { return width_ / 8; }
    ByteOrder byteOrder() const { return byteOrder_; }
    std::uint64_t headerSize() const { return header_; }

    PointerValues valuesOf(std::uint64_t offset) const;
    // The value a pointer holds: the first pointerBytes() of bytes, in the mapping's byte order.
    std::uint32_t valueAt(std::span<const std::uint8_t> bytes) const;

    // The file offset a pointer's value leads to, nullopt when the value
    // lies outside the cartridge's window. A 24-bit snes-lorom value in
    // banks 0x80 and up leads to the mirror below unless the file reaches
    // that far. For the 16-bit banked mappings
    // the bank says which part of the file the window shows (for gb, bank 0
    // shows bank 1 in the switchable window, as the cartridge's controller
    // does); the others ignore it. The offset may lie past the end of the file.
    std::optional<std::uint64_t> targetOf(std::uint32_t value, std::uint64_t bank) const;
    // The same, with the bank given or else the bank of the pointer itself
    // (a pointer table is read in the bank it lies in).
    std::optional<std::uint64_t> targetOf(std::uint32_t value, std::uint64_t pointerOffset,
                                          std::optional<std::uint64_t> bank) const;

    // The bytes of a bank for the 16-bit banked mappings (gb, nes, 16-bit
    // snes-lorom and snes-hirom); 0 for the others.
    std::uint64_t bankSize() const { return bankSize_; }
    bool banked() const { return bankSize_ != 0; }
    // The bank an offset lies in; nullopt for an offset in the header or an unbanked mapping.
    std::optional<std::uint64_t> bankOf(std::uint64_t offset) const;
    // Whether a pointer at position can lead to target with the banks the
    // console has: the two lie in the same bank, or the pointer lies in the
    // fixed bank (gb: bank 0; nes: the last 16 KiB of the program ROM).
    // Always true for an unbanked mapping.
    bool reachable(std::uint64_t position, std::uint64_t target) const;

    friend bool operator==(const PointerMapping&, const PointerMapping&) = default;

private:
    MappingKind kind_;
    int width_;
    ByteOrder byteOrder_;
    std::uint64_t base_;
    std::uint64_t fileSize_;
    std::uint64_t header_ = 0;
    std::uint64_t bankSize_ = 0;
    std::uint64_t fixedStart_ = 0;  // the fixed bank, [fixedStart_, fixedEnd_) in file offsets
    std::uint64_t fixedEnd_ = 0;
};

}  // namespace kinfold
