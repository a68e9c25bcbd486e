// The consoles' header checksums on crafted headers, against the sums written out plainly.
#include "patch/ConsoleChecksum.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace kinfold {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

TEST(GameBoy, HeaderChecksumOfAZeroHeader) {
    // 25 bytes of 0x134..0x14C, each taking one more off: 0 - 25.
    EXPECT_EQ(gameBoyHeaderChecksum(Bytes(0x150, 0)), 0xE7);
}

TEST(GameBoy, KeptRightWhenTheyWereRight) {
    Bytes rom = randomBytes(0x8000, 1);
    rom[0x14D] = gameBoyHeaderChecksum(rom);
    const std::uint16_t global = gameBoyGlobalChecksum(rom);
    rom[0x14E] = static_cast<std::uint8_t>(global >> 8);
    rom[0x14F] = static_cast<std::uint8_t>(global);
    Bytes out = rom;
    out[0x140] ^= 0x55;  // in the header
    out[0x6000] ^= 0x11;
    EXPECT_EQ(keepChecksumsRight(Console::GameBoy, rom, out),
              (std::vector<std::string>{"Game Boy header", "Game Boy global"}));
    std::uint8_t header = 0;
    for (std::size_t i = 0x134; i <= 0x14C; ++i) header = static_cast<std::uint8_t>(header - out[i] - 1);
    EXPECT_EQ(out[0x14D], header);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < out.size(); ++i) sum += (i == 0x14E || i == 0x14F) ? 0 : out[i];
    EXPECT_EQ(out[0x14E] << 8 | out[0x14F], sum & 0xFFFF);
}

TEST(GameBoy, WrongOnesAreLeftAlone) {
    Bytes rom = randomBytes(0x8000, 2);
    rom[0x14D] = static_cast<std::uint8_t>(gameBoyHeaderChecksum(rom) + 1);
    rom[0x14E] = static_cast<std::uint8_t>(~(gameBoyGlobalChecksum(rom) >> 8));
    Bytes out = rom;
    out[0x140] ^= 0x55;
    EXPECT_TRUE(keepChecksumsRight(Console::GameBoy, rom, out).empty());
    EXPECT_EQ(out[0x14D], rom[0x14D]);
    EXPECT_EQ(out[0x14E], rom[0x14E]);
}

// The SNES sum written out: the image mirrored up to the next power of two byte by byte, FF FF 00 00 at the place.
std::uint16_t plainSnesSum(Bytes image, std::size_t place) {
    image[place] = 0xFF;
    image[place + 1] = 0xFF;
    image[place + 2] = 0;
    image[place + 3] = 0;
    std::size_t whole = 1;
    while (whole * 2 <= image.size()) whole *= 2;
    std::uint64_t sum =
        std::accumulate(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(whole), std::uint64_t{0});
    const std::size_t rest = image.size() - whole;
    for (std::size_t i = 0; rest > 0 && i < whole; ++i) sum += image[whole + i % rest];
    return static_cast<std::uint16_t>(sum);
}

struct SnesCase {
    const char* name;
    std::size_t size;   // with the copier header
    std::size_t place;  // of the checksum bytes in the file
};

class Snes : public ::testing::TestWithParam<SnesCase> {};

TEST_P(Snes, ChecksumAndComplementKeptRight) {
    const SnesCase& c = GetParam();
    Bytes rom = randomBytes(c.size, 3);
    const std::size_t header = c.size % 1024 == 512 ? 512 : 0;
    // Both places wrong but the one under test.
    for (const std::size_t p : snesChecksumPlaces(c.size)) rom[p] = static_cast<std::uint8_t>(rom[p + 2] ^ 0x5A);
    const Bytes image(rom.begin() + static_cast<std::ptrdiff_t>(header), rom.end());
    const std::uint16_t sum = plainSnesSum(image, c.place - header);
    EXPECT_EQ(snesChecksum(image, c.place - header), sum);
    rom[c.place] = static_cast<std::uint8_t>(~sum);
    rom[c.place + 1] = static_cast<std::uint8_t>(~sum >> 8);
    rom[c.place + 2] = static_cast<std::uint8_t>(sum);
    rom[c.place + 3] = static_cast<std::uint8_t>(sum >> 8);
    Bytes out = rom;
    out[c.size - 1] ^= 0x77;  // in the mirrored part when there is one
    out[header + 5] ^= 0x01;
    EXPECT_EQ(keepChecksumsRight(Console::Snes, rom, out), std::vector<std::string>{"SNES"});
    const std::uint16_t now =
        plainSnesSum(Bytes(out.begin() + static_cast<std::ptrdiff_t>(header), out.end()), c.place - header);
    EXPECT_EQ(out[c.place + 2] | out[c.place + 3] << 8, now);
    EXPECT_EQ(out[c.place] | out[c.place + 1] << 8, now ^ 0xFFFF);
}

INSTANTIATE_TEST_SUITE_P(Table, Snes,
                         ::testing::Values(SnesCase{"LoRom", 0x20000, 0x7FDC}, SnesCase{"HiRom", 0x20000, 0xFFDC},
                                           SnesCase{"LoRomCopierHeader", 0x20000 + 512, 0x7FDC + 512},
                                           SnesCase{"HiRomCopierHeader", 0x20000 + 512, 0xFFDC + 512},
                                           SnesCase{"ThreeQuartersOfAPower", 0x18000, 0x7FDC},
                                           SnesCase{"RestNotDividingThePower", 0x10000 + 0x3000, 0x7FDC}),
                         [](const auto& info) { return info.param.name; });

TEST(Gba, ComplementKeptRight) {
    Bytes rom = randomBytes(0x1000, 4);
    std::uint8_t x = 0;
    for (std::size_t i = 0xA0; i <= 0xBC; ++i) x = static_cast<std::uint8_t>(x - rom[i]);
    rom[0xBD] = static_cast<std::uint8_t>(x - 0x19);
    EXPECT_EQ(gbaComplement(rom), rom[0xBD]);
    Bytes out = rom;
    out[0xA0] ^= 0x20;  // the game's title
    EXPECT_EQ(keepChecksumsRight(Console::Gba, rom, out), std::vector<std::string>{"GBA header"});
    EXPECT_EQ(out[0xBD], static_cast<std::uint8_t>(rom[0xBD] - 0x20 * ((rom[0xA0] & 0x20) ? -1 : 1)));
}

TEST(Consoles, ByExtension) {
    EXPECT_EQ(consoleOf("a.GBC"), Console::GameBoy);
    EXPECT_EQ(consoleOf("a.smc"), Console::Snes);
    EXPECT_EQ(consoleOf("a.gba"), Console::Gba);
    EXPECT_EQ(consoleOf("a.nes"), Console::None);
}

}  // namespace
}  // namespace kinfold
