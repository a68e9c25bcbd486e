// Planning an insertion: where strings go, how pointers change, and what is refused.
#include "insert/InsertPlan.h"
#include "insert/RomString.h"

#include <gtest/gtest.h>

namespace kinfold {
namespace {

using Bytes = std::vector<std::uint8_t>;

CodeTable lettersTable() {
    CodeTable table;
    for (int c = 0; c < 26; ++c)
        table.set({static_cast<std::uint8_t>(0x80 + c)},
                  {EntryKind::Normal, std::string(1, static_cast<char>('A' + c)), 0});
    table.set({0x7F}, {EntryKind::Normal, " ", 0});
    table.set({0x00}, {EntryKind::End, "", 0});
    return table;
}

Bytes encoded(const std::string& text) {
    Bytes bytes;
    for (const char c : text) bytes.push_back(c == ' ' ? 0x7F : static_cast<std::uint8_t>(0x80 + c - 'A'));
    return bytes;
}

void put(Bytes& rom, std::size_t at, const Bytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), rom.begin() + static_cast<std::ptrdiff_t>(at));
}

void put16(Bytes& rom, std::size_t at, std::uint32_t value) {
    rom[at] = static_cast<std::uint8_t>(value);
    rom[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

ScriptEntry line(int number, std::uint64_t offset, std::string text, std::optional<std::uint64_t> pointer = {}) {
    ScriptEntry e;
    e.line = number;
    e.offset = offset;
    e.text = std::move(text);
    e.written = e.text;
    e.pointer = pointer;
    return e;
}

struct Fixture {
    Bytes rom;
    CodeTable table = lettersTable();
    std::optional<PointerMapping> mapping;
    InsertRequest request;

    Fixture(std::size_t size, PointerFormat format) : rom(size, 0xEE) {
        mapping.emplace(format, size, std::span<const std::uint8_t>(rom).first(std::min<std::size_t>(16, size)));
    }
    InsertPlan plan() {
        request.rom = rom;
        request.table = &table;
        request.mapping = &*mapping;
        return planInsert(request);
    }
};

TEST(Plan, UnchangedLinesWriteNothing) {
    Fixture f(0x1000, {MappingKind::Gb});
    put(f.rom, 0x100, encoded("HELLO"));
    f.rom[0x105] = 0;
    f.request.lines = {line(1, 0x100, "HELLO")};
    const InsertPlan plan = f.plan();
    ASSERT_FALSE(plan.refused());
    EXPECT_EQ(plan.output, f.rom);
    EXPECT_TRUE(plan.changes.empty());
}

TEST(Plan, ShorterInPlaceKeepsItsEndAndPads) {
    Fixture f(0x1000, {MappingKind::Gb});
    put(f.rom, 0x100, encoded("HELLO"));
    f.rom[0x105] = 0;
    f.request.lines = {line(1, 0x100, "HI")};
    f.request.pad = 0x7F;
    const InsertPlan plan = f.plan();
    ASSERT_FALSE(plan.refused());
    EXPECT_EQ(Bytes(plan.output.begin() + 0x100, plan.output.begin() + 0x107),
              (Bytes{0x87, 0x88, 0x00, 0x7F, 0x7F, 0x7F, 0xEE}));
    EXPECT_EQ(plan.inPlace, 1u);
    EXPECT_EQ(insertSummary(plan),
              "1 strings changed: 1 in place, 0 moved, 0 pointers rewritten; checksums updated: none; 0 bytes of free "
              "space left");
}

TEST(Plan, FixedFieldPaddedWithTheSpace) {
    Fixture f(0x1000, {MappingKind::Gb});
    put(f.rom, 0x100, encoded("SWORD"));  // no end token: 0xEE follows, which no entry matches
    f.request.lines = {line(1, 0x100, "AXE")};
    const InsertPlan plan = f.plan();
    ASSERT_FALSE(plan.refused()) << plan.refusals[0].message();
    EXPECT_EQ(Bytes(plan.output.begin() + 0x100, plan.output.begin() + 0x106),
              (Bytes{0x80, 0x97, 0x84, 0x7F, 0x7F, 0xEE}));
}

// A string that grows, and the pointers that lead to it under each mapping's forms.
struct MoveCase {
    const char* name;
    PointerFormat format;
    std::size_t size;
    std::uint64_t string;
    std::uint32_t oldValue;
    ByteRange free;
    std::uint64_t newPlace;
    std::uint32_t newValue;
};

class Moves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(Moves, RewritingThePointerInItsOwnForm) {
    const MoveCase& c = GetParam();
    Fixture f(c.size, c.format);
    put(f.rom, static_cast<std::size_t>(c.string), encoded("HI"));
    f.rom[static_cast<std::size_t>(c.string) + 2] = 0;
    const int width = f.mapping->pointerBytes();
    for (int k = 0; k < width; ++k)
        f.rom[0x40 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(c.oldValue >> (8 * k));
    f.request.lines = {line(1, c.string, "HELLO", 0x40)};
    f.request.free = {c.free};
    const InsertPlan plan = f.plan();
    ASSERT_FALSE(plan.refused()) << plan.refusals[0].message();
    ASSERT_EQ(plan.changes.size(), 1u);
    EXPECT_EQ(plan.changes[0].newOffset, c.newPlace);
    EXPECT_EQ(plan.changes[0].pointers, std::vector<std::uint64_t>{0x40});
    std::uint32_t value = 0;
    for (int k = width - 1; k >= 0; --k) value = value << 8 | plan.output[0x40 + static_cast<std::size_t>(k)];
    EXPECT_EQ(value, c.newValue);
    const Bytes expected = {0x87, 0x84, 0x8B, 0x8B, 0x8E, 0x00};
    EXPECT_EQ(Bytes(plan.output.begin() + static_cast<std::ptrdiff_t>(c.newPlace),
                    plan.output.begin() + static_cast<std::ptrdiff_t>(c.newPlace) + 6),
              expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Moves,
    ::testing::Values(
        MoveCase{"GbSameBank", {MappingKind::Gb}, 0x10000, 0x8100, 0x4100, {0x9000, 0x9100}, 0x9000, 0x5000},
        MoveCase{"GbToTheFixedBank", {MappingKind::Gb}, 0x10000, 0x8100, 0x4100, {0x3000, 0x3100}, 0x3000, 0x3000},
        MoveCase{"NesKeepsTheC000Form", {MappingKind::Nes}, 0x8000, 0x4100, 0xC100, {0x4800, 0x4900}, 0x4800, 0xC800},
        MoveCase{"LoromKeepsTheMirrorBank",
                 {MappingKind::SnesLorom, 24},
                 0x40000,
                 0x10100,
                 0x828100,
                 {0x30000, 0x30100},
                 0x30000,
                 0x868000},
        MoveCase{"HiromKeepsThe400000Form",
                 {MappingKind::SnesHirom, 24},
                 0x40000,
                 0x10100,
                 0x410100,
                 {0x30000, 0x30100},
                 0x30000,
                 0x430000},
        MoveCase{"GbaAnywhere", {MappingKind::Gba}, 0x10000, 0x100, 0x08000100, {0xF000, 0xF100}, 0xF000, 0x0800F000}),
    [](const auto& info) { return info.param.name; });

TEST(Plan, OtherBankIsNoRoom) {
    // The free space lies in bank 1, the string in bank 2: it fits nowhere, and says so.
    Fixture f(0x10000, {MappingKind::Gb});
    put(f.rom, 0x8100, encoded("HI"));
    f.rom[0x8102] = 0;
    put16(f.rom, 0x40, 0x4100);
    f.request.lines = {line(7, 0x8100, "HELLO", 0x40)};
    f.request.free = {{0x4000, 0x4100}};
    const InsertPlan plan = f.plan();
    ASSERT_EQ(plan.refusals.size(), 1u);
    EXPECT_EQ(plan.refusals[0].message(),
              "line 7: the string at 33024 (8100 hex), 6 bytes now, fits in no free space its "
              "pointers reach: the largest room left there is 0 bytes");
    EXPECT_TRUE(plan.output.empty());
}

struct RefusalCase {
    const char* name;
    std::vector<ScriptEntry> lines;
    const char* says;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, NameTheLineAndWriteNothing) {
    Fixture f(0x1000, {MappingKind::Gb});
    put(f.rom, 0x100, encoded("HELLO"));
    f.rom[0x105] = 0;
    put(f.rom, 0x200, encoded("SWORD"));
    put16(f.rom, 0x40, 0x0300);
    f.request.free = {{0x800, 0x900}};
    f.request.lines = GetParam().lines;
    const InsertPlan plan = f.plan();
    ASSERT_TRUE(plan.refused());
    EXPECT_TRUE(plan.output.empty());
    EXPECT_NE(plan.refusals[0].message().find(GetParam().says), std::string::npos) << plan.refusals[0].message();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refusals,
    ::testing::Values(
        RefusalCase{"NoStringAtItsOffset", {line(3, 0x300, "X")}, "line 3: no string starts at 768 (300 hex)"},
        RefusalCase{
            "TwoLinesForOneString", {line(1, 0x100, "A"), line(2, 0x100, "B")}, "line 2: it and line 1 are both"},
        RefusalCase{"OverlappingStrings",
                    {line(1, 0x100, "HELLO"), line(2, 0x102, "X")},
                    "line 2: its string at 258 (102 hex) overlaps the string of line 1"},
        RefusalCase{
            "FixedFieldTooLong", {line(4, 0x200, "SWORDS")}, "line 4: the string at 512 (200 hex) has no end token"},
        RefusalCase{"NoKnownPointer", {line(5, 0x100, "HELLO THERE")}, "no pointer to it is known"},
        RefusalCase{
            "PointerThatLeadsElsewhere", {line(6, 0x100, "HELLO THERE", 0x40)}, "does not point at 256 (100 hex)"},
        RefusalCase{"CharacterNotInTable",
                    {line(8, 0x100, "HELLO?")},
                    "line 8: column 6: no table entry covers the character \"?\""}),
    [](const auto& info) { return info.param.name; });

TEST(Plan, PointerTableLinesOfOneStringShareIt) {
    Fixture f(0x1000, {MappingKind::Gb});
    put(f.rom, 0x100, encoded("HI"));
    f.rom[0x102] = 0;
    put16(f.rom, 0x40, 0x100);
    put16(f.rom, 0x42, 0x100);
    f.request.lines = {line(1, 0x100, "HELLO", 0x40), line(2, 0x100, "HELLO", 0x42)};
    f.request.free = {{0x800, 0x900}};
    const InsertPlan plan = f.plan();
    ASSERT_FALSE(plan.refused()) << plan.refusals[0].message();
    EXPECT_EQ(plan.pointersRewritten, 2u);
    EXPECT_EQ(plan.output[0x41] << 8 | plan.output[0x40], 0x800);
    EXPECT_EQ(plan.output[0x43] << 8 | plan.output[0x42], 0x800);
    EXPECT_EQ(plan.freeLeft, 0x100u - 6);
}

}  // namespace
}  // namespace kinfold
