#include "pointers/PointerMapping.h"

#include <algorithm>
#include <array>
#include <utility>

namespace kinfold {
namespace {

struct MappingInfo {
    MappingKind kind;
    std::string_view name;
};

constexpr std::array<MappingInfo, 6> kMappings = {{
    {MappingKind::Linear, "linear"},
    {MappingKind::Gb, "gb"},
    {MappingKind::Nes, "nes"},
    {MappingKind::SnesLorom, "snes-lorom"},
    {MappingKind::SnesHirom, "snes-hirom"},
    {MappingKind::Gba, "gba"},
}};

constexpr std::uint64_t kGbBank = 0x4000;
constexpr std::uint64_t kNesBank = 0x4000;
constexpr std::uint64_t kLoromBank = 0x8000;
constexpr std::uint64_t kHiromBank = 0x10000;
constexpr std::uint64_t kInesHeader = 16;
constexpr std::uint64_t kCopierHeader = 512;
constexpr std::uint32_t kGbaRom = 0x08000000;

std::uint64_t limitOf(int width) { return (std::uint64_t{1} << width) - 1; }

void add(PointerValues& values, std::uint64_t value, int width) {
    if (value <= limitOf(width)) {
        values.value[values.count++] = static_cast<std::uint32_t>(value);
    }
}

}  // namespace

std::string_view mappingName(MappingKind kind) {
    for (const MappingInfo& m : kMappings) {
        if (m.kind == kind) {
            return m.name;
        }
    }
    return {};
}

std::optional<MappingKind> mappingNamed(std::string_view name) {
    for (const MappingInfo& m : kMappings) {
        if (m.name == name) {
            return m.kind;
        }
    }
    return std::nullopt;
}

std::string mappingNames() {
    std::string names;
    for (const MappingInfo& m : kMappings) {
        if (!names.empty()) {
            names += ", ";
        }
        names += m.name;
    }
    return names;
}

bool takesWidth(MappingKind kind, int bits) {
    switch (kind) {
    case MappingKind::Linear: return bits == 16 || bits == 24 || bits == 32;
    case MappingKind::Gb:
    case MappingKind::Nes: return bits == 16;
    case MappingKind::SnesLorom:
    case MappingKind::SnesHirom: return bits == 16 || bits == 24;
    case MappingKind::Gba: return bits == 32;
    }
    return false;
}

int defaultWidth(MappingKind kind) { return kind == MappingKind::Linear || kind == MappingKind::Gba ? 32 : 16; }

std::optional<FormatFault> formatFault(const PointerFormat& format) {
    using Part = FormatFault::Part;
    const std::string name(mappingName(format.kind));
    const int width = format.width == 0 ? defaultWidth(format.kind) : format.width;
    if (!takesWidth(format.kind, width)) {
        std::string widths;
        for (int bits : {16, 24, 32}) {
            if (takesWidth(format.kind, bits)) {
                widths += widths.empty() ? std::to_string(bits) : " or " + std::to_string(bits);
            }
        }
        return FormatFault{Part::Width, "The mapping " + name + " takes pointers of " + widths + " bits, not " +
                                            std::to_string(width) + "."};
    }
    if (format.kind != MappingKind::Linear && format.byteOrder == ByteOrder::Big) {
        return FormatFault{Part::ByteOrder, "The mapping " + name +
                                                " takes little-endian pointers only; a byte order is for the linear "
                                                "mapping."};
    }
    if (format.kind != MappingKind::Linear && format.base != 0) {
        return FormatFault{Part::Base,
                           "The mapping " + name + " has a base of its own; a base is for the linear mapping."};
    }
    if (format.base > limitOf(width)) {
        return FormatFault{Part::Base, "The base " + std::to_string(format.base) + " does not fit a pointer of " +
                                           std::to_string(width) + " bits."};
    }
    return std::nullopt;
}

std::optional<std::string> formatProblem(const PointerFormat& format) {
    std::optional<FormatFault> fault = formatFault(format);
    if (!fault) {
        return std::nullopt;
    }
    return std::move(fault->reason);
}

bool isBanked(const PointerFormat& format) {
    const int width = format.width == 0 ? defaultWidth(format.kind) : format.width;
    return format.kind != MappingKind::Linear && format.kind != MappingKind::Gba && width == 16;
}

PointerMapping::PointerMapping(const PointerFormat& format, std::uint64_t fileSize,
                               std::span<const std::uint8_t> firstBytes)
    : kind_(format.kind),
      width_(format.width == 0 ? defaultWidth(format.kind) : format.width),
      byteOrder_(format.byteOrder),
      base_(format.base),
      fileSize_(fileSize) {
    switch (kind_) {
    case MappingKind::Gb:
        bankSize_ = kGbBank;
        fixedEnd_ = std::min(kGbBank, fileSize);
        break;
    case MappingKind::Nes: {
        static constexpr std::uint8_t kMagic[4] = {'N', 'E', 'S', 0x1A};
        const bool ines = firstBytes.size() >= kInesHeader && std::equal(kMagic, kMagic + 4, firstBytes.begin());
        header_ = ines ? kInesHeader : 0;
        bankSize_ = kNesBank;
        // The program ROM's size is in the header, in banks; a file without
        // one (or with a count the file can't hold) is taken as program ROM whole.
        std::uint64_t programEnd = fileSize;
        if (ines && firstBytes[4] != 0) {
            programEnd = std::min(fileSize, header_ + firstBytes[4] * kNesBank);
        }
        fixedEnd_ = programEnd;
        fixedStart_ = programEnd >= header_ + kNesBank ? programEnd - kNesBank : header_;
        break;
    }
    case MappingKind::SnesLorom:
    case MappingKind::SnesHirom:
        header_ = fileSize % 1024 == kCopierHeader ? kCopierHeader : 0;
        if (width_ == 16) {
            bankSize_ = kind_ == MappingKind::SnesLorom ? kLoromBank : kHiromBank;
        }
        break;
    case MappingKind::Linear:
    case MappingKind::Gba: break;
    }
}

PointerValues PointerMapping::valuesOf(std::uint64_t offset) const {
    PointerValues values;
    if (offset < header_) {
        return values;
    }
    const std::uint64_t x = offset - header_;
    switch (kind_) {
    case MappingKind::Linear:
        if (offset <= limitOf(width_) - base_) {
            add(values, base_ + offset, width_);
        }
        break;
    case MappingKind::Gb: add(values, x < kGbBank ? x : kGbBank + x % kGbBank, width_); break;
    case MappingKind::Nes:
        add(values, 0x8000 + x % kNesBank, width_);
        add(values, 0xC000 + x % kNesBank, width_);
        break;
    case MappingKind::SnesLorom:
        if (width_ == 16) {
            add(values, 0x8000 + x % kLoromBank, width_);
        } else {
            const std::uint64_t bank = x / kLoromBank;
            add(values, bank * 0x10000 + 0x8000 + x % kLoromBank, width_);
            add(values, (bank + 0x80) * 0x10000 + 0x8000 + x % kLoromBank, width_);
        }
        break;
    case MappingKind::SnesHirom:
        if (width_ == 16) {
            add(values, x % kHiromBank, width_);
        } else {
            add(values, 0xC00000 + x, width_);
            add(values, 0x400000 + x, width_);
        }
        break;
    case MappingKind::Gba: add(values, kGbaRom + x, width_); break;
    }
    return values;
}

std::uint32_t PointerMapping::valueAt(std::span<const std::uint8_t> bytes) const {
    const int size = pointerBytes();
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        const std::uint32_t byte = bytes[static_cast<std::size_t>(byteOrder_ == ByteOrder::Big ? i : size - 1 - i)];
        value = value << 8 | byte;
    }
    return value;
}

std::optional<std::uint64_t> PointerMapping::targetOf(std::uint32_t value, std::uint64_t bank) const {
    std::optional<std::uint64_t> x;
    switch (kind_) {
    case MappingKind::Linear:
        if (value >= base_) {
            return value - base_;
        }
        break;
    case MappingKind::Gb:
        if (value < kGbBank) {
            x = value;
        } else if (value < 2 * kGbBank) {
            x = std::max<std::uint64_t>(bank, 1) * kGbBank + (value - kGbBank);
        }
        break;
    case MappingKind::Nes:
        if (value >= 0x8000) {
            x = bank * kNesBank + value % kNesBank;
        }
        break;
    case MappingKind::SnesLorom:
        if (value % 0x10000 >= 0x8000) {
            // Banks 0x80 and up mirror the ones below, unless the file goes on that far.
            std::uint64_t romBank = width_ == 16 ? bank : value >> 16;
            if (width_ == 24 && romBank >= 0x80 && header_ + romBank * kLoromBank >= fileSize_) {
                romBank -= 0x80;
            }
            x = romBank * kLoromBank + (value % 0x10000 - 0x8000);
        }
        break;
    case MappingKind::SnesHirom:
        if (width_ == 16) {
            x = bank * kHiromBank + value;
        } else if (value >= 0xC00000) {
            x = value - 0xC00000;
        } else if (value >= 0x400000) {
            x = value - 0x400000;
        }
        break;
    case MappingKind::Gba:
        if (value >= kGbaRom) {
            x = value - kGbaRom;
        }
        break;
    }
    if (!x) {
        return std::nullopt;
    }
    return *x + header_;
}

std::optional<std::uint64_t> PointerMapping::targetOf(std::uint32_t value, std::uint64_t pointerOffset,
                                                      std::optional<std::uint64_t> bank) const {
    if (!bank) {
        bank = bankOf(pointerOffset).value_or(0);
    }
    return targetOf(value, *bank);
}

std::optional<std::uint64_t> PointerMapping::bankOf(std::uint64_t offset) const {
    if (bankSize_ == 0 || offset < header_) {
        return std::nullopt;
    }
    return (offset - header_) / bankSize_;
}

bool PointerMapping::reachable(std::uint64_t position, std::uint64_t target) const {
    if (bankSize_ == 0) {
        return true;
    }
    if (position >= fixedStart_ && position < fixedEnd_) {
        return true;
    }
    const std::optional<std::uint64_t> from = bankOf(position);
    return from && from == bankOf(target);
}

}  // namespace kinfold
