#include "patch/ConsoleChecksum.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <numeric>

namespace kinfold {
namespace {

constexpr std::size_t kGbHeaderFrom = 0x134;
constexpr std::size_t kGbHeaderChecksum = 0x14D;
constexpr std::size_t kGbGlobalChecksum = 0x14E;
constexpr std::size_t kGbHeaderEnd = 0x150;
constexpr std::size_t kGbaFrom = 0xA0;
constexpr std::size_t kGbaComplement = 0xBD;
constexpr std::size_t kGbaHeaderEnd = 0xC0;
constexpr std::size_t kCopierHeader = 512;

std::uint64_t sumOf(std::span<const std::uint8_t> bytes) {
    return std::accumulate(bytes.begin(), bytes.end(), std::uint64_t{0});
}

std::uint16_t storedLittle(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void storeLittle(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::size_t copierHeaderOf(std::size_t size) { return size % 1024 == kCopierHeader ? kCopierHeader : 0; }

// Whether the SNES checksum at place (in the file) is right in rom.
bool snesRight(std::span<const std::uint8_t> rom, std::size_t place) {
    const std::size_t header = copierHeaderOf(rom.size());
    const std::uint16_t complement = storedLittle(rom, place);
    const std::uint16_t checksum = storedLittle(rom, place + 2);
    return (complement ^ checksum) == 0xFFFF && checksum == snesChecksum(rom.subspan(header), place - header);
}

}  // namespace

Console consoleOf(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gb" || extension == ".gbc") return Console::GameBoy;
    if (extension == ".sfc" || extension == ".smc") return Console::Snes;
    if (extension == ".gba") return Console::Gba;
    return Console::None;
}

std::uint8_t gameBoyHeaderChecksum(std::span<const std::uint8_t> rom) {
    std::uint8_t x = 0;
    for (std::size_t i = kGbHeaderFrom; i < kGbHeaderChecksum; ++i) x = static_cast<std::uint8_t>(x - rom[i] - 1);
    return x;
}

std::uint16_t gameBoyGlobalChecksum(std::span<const std::uint8_t> rom) {
    const std::uint64_t sum = sumOf(rom) - rom[kGbGlobalChecksum] - rom[kGbGlobalChecksum + 1];
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t snesChecksum(std::span<const std::uint8_t> image, std::size_t place) {
    const std::size_t size = image.size();
    // How many times each byte counts: once below the largest power of two, and over and over past it.
    const std::size_t whole = size == 0 ? 0 : std::bit_floor(size);
    const std::size_t rest = size - whole;
    std::uint64_t sum = sumOf(image.first(whole));
    const auto timesCounted = [&](std::size_t at) -> std::uint64_t {
        if (at < whole) return 1;
        const std::size_t k = at - whole;
        return whole / rest + (k < whole % rest ? 1 : 0);
    };
    if (rest > 0) {
        const std::span<const std::uint8_t> tail = image.subspan(whole);
        sum += (whole / rest) * sumOf(tail) + sumOf(tail.first(whole % rest));
    }
    // The checksum bytes count as FF FF 00 00, whatever they hold.
    static constexpr std::uint8_t kCounted[4] = {0xFF, 0xFF, 0x00, 0x00};
    for (std::size_t k = 0; k < 4 && place + k < size; ++k) {
        const std::uint64_t times = timesCounted(place + k);
        sum = sum - times * image[place + k] + times * kCounted[k];
    }
    return static_cast<std::uint16_t>(sum);
}

std::vector<std::size_t> snesChecksumPlaces(std::size_t fileSize) {
    const std::size_t header = copierHeaderOf(fileSize);
    std::vector<std::size_t> places;
    for (const std::size_t place : {std::size_t{0x7FDC}, std::size_t{0xFFDC}}) {
        if (header + place + 4 <= fileSize) places.push_back(header + place);
    }
    return places;
}

std::uint8_t gbaComplement(std::span<const std::uint8_t> rom) {
    std::uint8_t x = 0;
    for (std::size_t i = kGbaFrom; i < kGbaComplement; ++i) x = static_cast<std::uint8_t>(x - rom[i]);
    return static_cast<std::uint8_t>(x - 0x19);
}

std::vector<std::string> keepChecksumsRight(Console console, std::span<const std::uint8_t> source,
                                            std::span<std::uint8_t> target) {
    std::vector<std::string> changed;
    const auto set = [&](std::size_t at, std::uint8_t value, bool& differs) {
        differs = differs || target[at] != value;
        target[at] = value;
    };
    switch (console) {
    case Console::None: break;
    case Console::GameBoy: {
        if (source.size() < kGbHeaderEnd || target.size() != source.size()) break;
        const bool headerRight = source[kGbHeaderChecksum] == gameBoyHeaderChecksum(source);
        const bool globalRight =
            (source[kGbGlobalChecksum] << 8 | source[kGbGlobalChecksum + 1]) == gameBoyGlobalChecksum(source);
        // The header checksum first: the global one counts it.
        if (headerRight) {
            bool differs = false;
            set(kGbHeaderChecksum, gameBoyHeaderChecksum(target), differs);
            if (differs) changed.emplace_back("Game Boy header");
        }
        if (globalRight) {
            bool differs = false;
            const std::uint16_t global = gameBoyGlobalChecksum(target);
            set(kGbGlobalChecksum, static_cast<std::uint8_t>(global >> 8), differs);
            set(kGbGlobalChecksum + 1, static_cast<std::uint8_t>(global), differs);
            if (differs) changed.emplace_back("Game Boy global");
        }
        break;
    }
    case Console::Snes: {
        if (target.size() != source.size()) break;
        for (const std::size_t place : snesChecksumPlaces(source.size())) {
            if (!snesRight(source, place)) continue;
            const std::size_t header = copierHeaderOf(target.size());
            const std::uint16_t checksum = snesChecksum(target.subspan(header), place - header);
            const std::uint16_t before = storedLittle(target, place + 2);
            storeLittle(target, place, static_cast<std::uint16_t>(checksum ^ 0xFFFF));
            storeLittle(target, place + 2, checksum);
            if (before != checksum) changed.emplace_back("SNES");
            break;
        }
        break;
    }
    case Console::Gba: {
        if (source.size() < kGbaHeaderEnd || target.size() != source.size()) break;
        if (source[kGbaComplement] != gbaComplement(source)) break;
        bool differs = false;
        set(kGbaComplement, gbaComplement(target), differs);
        if (differs) changed.emplace_back("GBA header");
        break;
    }
    }
    return changed;
}

}  // namespace kinfold
