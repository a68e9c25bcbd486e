// Each console's mapping: the values of offsets at bank edges and around the
// headers, the way back from a value to an offset, the banks a pointer reaches.
#include "pointers/PointerMapping.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kinfold {
namespace {

constexpr std::uint64_t kPlain = 0x40000;         // a size with no copier's header
constexpr std::uint64_t kCopied = 0x40000 + 512;  // a size with one

// An iNES header for a program ROM of `banks` banks of 16 KiB.
std::vector<std::uint8_t> ines(std::uint8_t banks) {
    std::vector<std::uint8_t> header(16, 0);
    header[0] = 'N';
    header[1] = 'E';
    header[2] = 'S';
    header[3] = 0x1A;
    header[4] = banks;
    return header;
}

PointerFormat format(MappingKind kind, int width = 0, ByteOrder order = ByteOrder::Little, std::uint64_t base = 0) {
    return {kind, width, order, base};
}

struct ValuesCase {
    const char* name;
    PointerFormat format;
    std::uint64_t fileSize;
    std::vector<std::uint8_t> start;
    std::uint64_t offset;
    std::vector<std::uint32_t> values;
};

class MappingValues : public ::testing::TestWithParam<ValuesCase> {};

TEST_P(MappingValues, AreTheConsolesAddresses) {
    const ValuesCase& c = GetParam();
    const PointerMapping mapping(c.format, c.fileSize, c.start);
    const PointerValues got = mapping.valuesOf(c.offset);
    EXPECT_EQ(std::vector<std::uint32_t>(got.value, got.value + got.count), c.values);
}

INSTANTIATE_TEST_SUITE_P(
    Pointers, MappingValues,
    ::testing::Values(
        ValuesCase{"LinearAtTheTopOfItsWidth",
                   format(MappingKind::Linear, 16, ByteOrder::Little, 0x100),
                   kPlain,
                   {},
                   0xFEFF,
                   {0xFFFF}},
        ValuesCase{"LinearPastItsWidthHasNone",
                   format(MappingKind::Linear, 16, ByteOrder::Little, 0x100),
                   kPlain,
                   {},
                   0xFF00,
                   {}},
        ValuesCase{"Linear24PastItsWidthHasNone", format(MappingKind::Linear, 24), 0x2000000, {}, 0x1000000, {}},
        ValuesCase{"Linear32ByDefault", format(MappingKind::Linear), 0x2000000, {}, 0x1000000, {0x1000000}},
        ValuesCase{"GbEndOfBank0", format(MappingKind::Gb), kPlain, {}, 0x3FFF, {0x3FFF}},
        ValuesCase{"GbStartOfBank1", format(MappingKind::Gb), kPlain, {}, 0x4000, {0x4000}},
        ValuesCase{"GbStartOfBank2", format(MappingKind::Gb), kPlain, {}, 0x8000, {0x4000}},
        ValuesCase{"NesFirstByteAfterTheHeader", format(MappingKind::Nes), 0x8010, ines(2), 16, {0x8000, 0xC000}},
        ValuesCase{"NesInTheHeaderHasNone", format(MappingKind::Nes), 0x8010, ines(2), 15, {}},
        ValuesCase{"NesEndOfBank0", format(MappingKind::Nes), 0x8010, ines(2), 16 + 0x3FFF, {0xBFFF, 0xFFFF}},
        ValuesCase{"NesStartOfBank1", format(MappingKind::Nes), 0x8010, ines(2), 16 + 0x4000, {0x8000, 0xC000}},
        ValuesCase{"NesWithoutHeader", format(MappingKind::Nes), 0x8000, {}, 0x4001, {0x8001, 0xC001}},
        ValuesCase{"LoromCopierHeader", format(MappingKind::SnesLorom), kCopied, {}, 512, {0x8000}},
        ValuesCase{"LoromInTheCopierHeaderHasNone", format(MappingKind::SnesLorom), kCopied, {}, 511, {}},
        ValuesCase{"LoromEndOfBank0", format(MappingKind::SnesLorom), kCopied, {}, 512 + 0x7FFF, {0xFFFF}},
        ValuesCase{"LoromStartOfBank1", format(MappingKind::SnesLorom), kCopied, {}, 512 + 0x8000, {0x8000}},
        ValuesCase{"LoromNoHeaderAtOffset0", format(MappingKind::SnesLorom), kPlain, {}, 0, {0x8000}},
        ValuesCase{"Lorom24EndOfBank0", format(MappingKind::SnesLorom, 24), kPlain, {}, 0x7FFF, {0x00FFFF, 0x80FFFF}},
        ValuesCase{"Lorom24StartOfBank1", format(MappingKind::SnesLorom, 24), kPlain, {}, 0x8000, {0x018000, 0x818000}},
        ValuesCase{"Lorom24Bank7F", format(MappingKind::SnesLorom, 24), 0x800000, {}, 0x3F8000, {0x7F8000, 0xFF8000}},
        ValuesCase{"Lorom24Bank80HasNoMirror", format(MappingKind::SnesLorom, 24), 0x800000, {}, 0x400000, {0x808000}},
        ValuesCase{"HiromEndOfBank1", format(MappingKind::SnesHirom), kPlain, {}, 0x1FFFF, {0xFFFF}},
        ValuesCase{"HiromStartOfBank2", format(MappingKind::SnesHirom), kPlain, {}, 0x20000, {0x0000}},
        ValuesCase{"Hirom24", format(MappingKind::SnesHirom, 24), kCopied, {}, 512 + 0x10000, {0xC10000, 0x410000}},
        ValuesCase{"Hirom24At4MiBHasOneValue", format(MappingKind::SnesHirom, 24), 0x800000, {}, 0x400000, {0x800000}},
        ValuesCase{"GbaStart", format(MappingKind::Gba), kPlain, {}, 0, {0x08000000}},
        ValuesCase{"Gba32MiB", format(MappingKind::Gba), 0x2000000, {}, 0x1FFFFFF, {0x09FFFFFF}}),
    [](const auto& info) { return std::string(info.param.name); });

// The way back, as a pointer table is read: in the table's own bank unless a bank is given.
struct InverseCase {
    const char* name;
    PointerFormat format;
    std::uint64_t fileSize;
    std::vector<std::uint8_t> start;
    std::uint32_t value;
    std::uint64_t pointerOffset;
    std::optional<std::uint64_t> bank;
    std::optional<std::uint64_t> offset;
};

class MappingInverse : public ::testing::TestWithParam<InverseCase> {};

TEST_P(MappingInverse, LeadsBackToTheFile) {
    const InverseCase& c = GetParam();
    const PointerMapping mapping(c.format, c.fileSize, c.start);
    EXPECT_EQ(mapping.targetOf(c.value, c.pointerOffset, c.bank), c.offset);
}

INSTANTIATE_TEST_SUITE_P(
    Pointers, MappingInverse,
    ::testing::Values(
        InverseCase{"GbInTheTablesBank", format(MappingKind::Gb), kPlain, {}, 0x4123, 0x8010, {}, 0x8123},
        InverseCase{"GbInTheBankGiven", format(MappingKind::Gb), kPlain, {}, 0x4123, 0x8010, 5, 0x14123},
        InverseCase{"GbTableInBank0ReadsBank1", format(MappingKind::Gb), kPlain, {}, 0x4000, 0x10, {}, 0x4000},
        InverseCase{"GbPastTheRom", format(MappingKind::Gb), kPlain, {}, 0x8000, 0x10, {}, std::nullopt},
        InverseCase{"NesInTheTablesBank",
                    format(MappingKind::Nes),
                    0x10010,
                    ines(4),
                    0xC005,
                    16 + 3 * 0x4000 + 2,
                    {},
                    16 + 3 * 0x4000 + 5},
        InverseCase{"NesInTheBankGiven", format(MappingKind::Nes), 0x10010, ines(4), 0x8005, 16 + 3 * 0x4000 + 2, 1,
                    16 + 0x4000 + 5},
        InverseCase{"NesBelowTheRom", format(MappingKind::Nes), 0x10010, ines(4), 0x7FFF, 16, {}, std::nullopt},
        InverseCase{"Lorom16InTheTablesBank",
                    format(MappingKind::SnesLorom),
                    kCopied,
                    {},
                    0x8004,
                    512 + 0x10000,
                    {},
                    512 + 0x10004},
        InverseCase{"Lorom24Mirror", format(MappingKind::SnesLorom, 24), kPlain, {}, 0x818004, 0, 7, 0x8004},
        InverseCase{
            "Lorom24HighBankOfALargeFile", format(MappingKind::SnesLorom, 24), 0x800000, {}, 0x818004, 0, {}, 0x408004},
        InverseCase{
            "Lorom24LowHalfOfABank", format(MappingKind::SnesLorom, 24), kPlain, {}, 0x014000, 0, {}, std::nullopt},
        InverseCase{"Hirom16InTheTablesBank", format(MappingKind::SnesHirom), kPlain, {}, 0x1234, 0x2FFFF, {}, 0x21234},
        InverseCase{
            "Hirom24HighBanks", format(MappingKind::SnesHirom, 24), kCopied, {}, 0xC12345, 0, {}, 512 + 0x12345},
        InverseCase{
            "Hirom24BelowTheRom", format(MappingKind::SnesHirom, 24), kPlain, {}, 0x3FFFFF, 0, {}, std::nullopt},
        InverseCase{"Gba", format(MappingKind::Gba), kPlain, {}, 0x08001234, 0, {}, 0x1234},
        InverseCase{"GbaBelowTheRom", format(MappingKind::Gba), kPlain, {}, 0x07FFFFFF, 0, {}, std::nullopt},
        InverseCase{"LinearBelowTheBase",
                    format(MappingKind::Linear, 16, ByteOrder::Big, 0x100),
                    kPlain,
                    {},
                    0xFF,
                    0,
                    {},
                    std::nullopt},
        InverseCase{
            "LinearAtTheBase", format(MappingKind::Linear, 16, ByteOrder::Big, 0x100), kPlain, {}, 0x100, 0, {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Every offset's values lead back to it, read in its own bank.
TEST(PointerMappingRoundTrip, EveryValueLeadsBack) {
    const std::vector<std::pair<PointerFormat, std::vector<std::uint8_t>>> formats = {
        {format(MappingKind::Gb), {}},        {format(MappingKind::Nes), ines(16)},
        {format(MappingKind::SnesLorom), {}}, {format(MappingKind::SnesLorom, 24), {}},
        {format(MappingKind::SnesHirom), {}}, {format(MappingKind::SnesHirom, 24), {}},
        {format(MappingKind::Gba), {}},       {format(MappingKind::Linear, 24, ByteOrder::Big, 0x300000), {}}};
    std::mt19937_64 random(18);
    for (const auto& [f, start] : formats) {
        // 4 MiB: past it, 24-bit LoROM's mirrors are banks of the file.
        const std::uint64_t size = 0x400000 + (start.empty() ? 512 : 16);
        const PointerMapping mapping(f, size, start);
        for (int i = 0; i < 2000; ++i) {
            const std::uint64_t offset = mapping.headerSize() + random() % (size - mapping.headerSize());
            const PointerValues values = mapping.valuesOf(offset);
            ASSERT_GT(values.count, 0) << mappingName(f.kind) << " at " << offset;
            for (int k = 0; k < values.count; ++k) {
                EXPECT_EQ(mapping.targetOf(values.value[k], offset, std::nullopt), offset)
                    << mappingName(f.kind) << " value " << values.value[k];
            }
        }
    }
}

struct ReachCase {
    const char* name;
    PointerFormat format;
    std::uint64_t fileSize;
    std::vector<std::uint8_t> start;
    std::uint64_t position;
    std::uint64_t target;
    bool reachable;
};

class MappingReach : public ::testing::TestWithParam<ReachCase> {};

TEST_P(MappingReach, FollowsTheBanks) {
    const ReachCase& c = GetParam();
    EXPECT_EQ(PointerMapping(c.format, c.fileSize, c.start).reachable(c.position, c.target), c.reachable);
}

// The NES file: a header, 2 banks of program ROM, then 8 KiB of character ROM.
constexpr std::uint64_t kNesSize = 16 + 0x8000 + 0x2000;

INSTANTIATE_TEST_SUITE_P(
    Pointers, MappingReach,
    ::testing::Values(
        ReachCase{"GbSameBank", format(MappingKind::Gb), kPlain, {}, 0x8000, 0xBFFF, true},
        ReachCase{"GbOtherBank", format(MappingKind::Gb), kPlain, {}, 0xC000, 0xBFFF, false},
        ReachCase{"GbFixedBank", format(MappingKind::Gb), kPlain, {}, 0x3FFF, 0xBFFF, true},
        ReachCase{"NesFixedBankIsTheLastOfTheProgram", format(MappingKind::Nes), kNesSize, ines(2), 16 + 0x4000, 16,
                  true},
        ReachCase{"NesFirstBankIsNotFixed", format(MappingKind::Nes), kNesSize, ines(2), 16 + 0x3FFF, 16 + 0x4000,
                  false},
        ReachCase{"NesCharacterRomIsNotFixed", format(MappingKind::Nes), kNesSize, ines(2), 16 + 0x8000, 16, false},
        ReachCase{"NesHeaderIsInNoBank", format(MappingKind::Nes), kNesSize, ines(2), 4, 16, false},
        ReachCase{"NesWithoutHeaderFixesTheLast16KiB", format(MappingKind::Nes), 0x10000, {}, 0xC000, 0, true},
        ReachCase{"LoromSameBank", format(MappingKind::SnesLorom), kCopied, {}, 512, 512 + 0x7FFF, true},
        ReachCase{"LoromOtherBank", format(MappingKind::SnesLorom), kCopied, {}, 512 + 0x8000, 512 + 0x7FFF, false},
        ReachCase{"GbaHasNoBanks", format(MappingKind::Gba), kPlain, {}, 0, 0x30000, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct FormatCase {
    const char* name;
    PointerFormat format;
    std::string problem;  // empty when the format is taken
};

class Formats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formats, AreTakenOrRefused) { EXPECT_EQ(formatProblem(GetParam().format).value_or(""), GetParam().problem); }

INSTANTIATE_TEST_SUITE_P(
    Pointers, Formats,
    ::testing::Values(
        FormatCase{"GbTakes16Only", format(MappingKind::Gb, 24), "The mapping gb takes pointers of 16 bits, not 24."},
        FormatCase{"SnesTakes16Or24", format(MappingKind::SnesHirom, 32),
                   "The mapping snes-hirom takes pointers of 16 or 24 bits, not 32."},
        FormatCase{"Snes24", format(MappingKind::SnesLorom, 24), ""},
        FormatCase{"GbaIsLittleEndian", format(MappingKind::Gba, 0, ByteOrder::Big),
                   "The mapping gba takes little-endian pointers only; a byte order is for the linear mapping."},
        FormatCase{"NesHasItsOwnBase", format(MappingKind::Nes, 0, ByteOrder::Little, 5),
                   "The mapping nes has a base of its own; a base is for the linear mapping."},
        FormatCase{"LinearBasePastTheWidth", format(MappingKind::Linear, 16, ByteOrder::Little, 0x10000),
                   "The base 65536 does not fit a pointer of 16 bits."},
        FormatCase{"LinearBaseAtTheTop", format(MappingKind::Linear, 24, ByteOrder::Big, 0xFFFFFF), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MappingNames, ReadBack) {
    EXPECT_EQ(mappingNames(), "linear, gb, nes, snes-lorom, snes-hirom, gba");
    for (MappingKind kind : {MappingKind::Linear, MappingKind::Gb, MappingKind::Nes, MappingKind::SnesLorom,
                             MappingKind::SnesHirom, MappingKind::Gba}) {
        EXPECT_EQ(mappingNamed(mappingName(kind)), kind);
    }
    EXPECT_EQ(mappingNamed("auto"), std::nullopt);
}

}  // namespace
}  // namespace kinfold
