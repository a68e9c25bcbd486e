// `kinfold dump` as a user runs it.
#include "RunKinfold.h"
#include "cli/Kinfold.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kinfold::cli {
namespace {

using testing_support::TempFolder;
namespace fs = std::filesystem;

using testing_support::Outcome;

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// A script in a made-up encoding: letters at 0x80 + (c - 'A'), 00 ends a
// string, FE breaks a line, F0 is a control with one parameter, 8182 "the".
class Dump : public ::testing::Test {
protected:
    void SetUp() override {
        std::string table = "/00\n*FE\n$F0=[wait],1\n8182=the \n";
        for (int c = 'A'; c <= 'Z'; ++c) {
            char line[8];
            std::snprintf(line, sizeof line, "%02X=%c\n", 0x80 + c - 'A', c);
            table += line;
        }
        // "HELLO" at 2, "the END" with a break and a control at 10, "OK" (too short) at 22.
        const std::string rom = std::string(
            "\x01\x02\x87\x84\x8B\x8B\x8E\x00\x05\x06"
            "\x81\x82\x84\x8D\x83\xFE\xF0\x09\x8A\x8E\x00\x07"
            "\x8E\x8A\x00\x30",
            26);
        writeFile(root() / "game.tbl", table);
        writeFile(root() / "roms/a.gb", rom);
        writeFile(root() / "roms/b.gb", rom.substr(8));
        writeFile(root() / "roms/notes.txt", "nothing here");
    }
    fs::path root() const { return folder_.path(); }
    std::string rom(const char* name) const { return (root() / "roms" / name).string(); }

    Outcome dump(const std::vector<std::string>& args) const {
        return testing_support::runKinfoldWith({"dump", "--tbl", (root() / "game.tbl").string()}, args);
    }

    TempFolder folder_;
};

TEST_F(Dump, LinesInFileOrder) {
    const Outcome run = dump({"-j", "2", "--include", "*.gb", (root() / "roms").string()});
    EXPECT_EQ(run.out, rom("a.gb") + ":2 (2 hex)  HELLO\n" + rom("a.gb") + ":10 (A hex)  the END\\n[wait]<$09>KO\n" +
                           rom("b.gb") + ":2 (2 hex)  the END\\n[wait]<$09>KO\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST_F(Dump, RangeAndMinimum) {
    const Outcome run = dump({"--start", "0x3", "--end", "19", "--min-length", "2", rom("a.gb")});
    EXPECT_EQ(run.out, rom("a.gb") + ":3 (3 hex)  ELLO\n" + rom("a.gb") + ":10 (A hex)  the END\\n[wait]<$09>K\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dump({"--min-length", "10", rom("a.gb")}).status, 1);  // "the END" and "KO" make 9
}

TEST_F(Dump, JsonLines) {
    const Outcome run = dump({"--json", rom("b.gb")});
    EXPECT_EQ(run.out, "{\"path\":" + nlohmann::json(rom("b.gb")).dump() +
                           ",\"offset\":2,\"length\":11,\"text\":\"the END\\n[wait]<$09>KO\",\"ended\":true}\n");
    EXPECT_EQ(run.status, 0);
}

struct TroubleCase {
    const char* name;
    std::vector<std::string> args;
    std::string err;  // what the message starts with
};

class DumpTrouble : public Dump, public ::testing::WithParamInterface<TroubleCase> {};

TEST_P(DumpTrouble, SaysWhatIsWrongAndPrintsNothing) {
    const TroubleCase& c = GetParam();
    std::vector<std::string> args = c.args;
    args.push_back(rom("a.gb"));
    const Outcome run = dump(args);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << run.err;
    EXPECT_EQ(run.status, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpTrouble,
    ::testing::Values(TroubleCase{"StartPastEndOffset",
                                  {"--start", "20", "--end", "0x10"},
                                  "kinfold: the start offset 20 (14 hex) is past the end offset 16 (10 hex).\n"},
                      TroubleCase{"StartPastTheFile", {"--start", "27"}, "kinfold: Can't dump the file \""},
                      TroubleCase{"MinimumZero", {"--min-length", "0"}, "--min-length: Value 0 not in range"},
                      TroubleCase{"NotAnOffset", {"--start", "0x"}, "--start: \"0x\" is not an offset"}),
    [](const auto& info) { return std::string(info.param.name); });

// The letters of the fixture's table, then its end token.
std::string script(const std::string& letters) {
    std::string bytes;
    for (const char c : letters) bytes += static_cast<char>(0x80 + c - 'A');
    return bytes + '\0';
}

// A Game Boy ROM of three banks and a SNES LoROM image of two with a
// copier's header, each with pointer tables planted; 0x30 matches no entry.
class DumpPointerTable : public Dump {
protected:
    void SetUp() override {
        Dump::SetUp();
        std::string gb(0xC000, '\x30');
        const auto plant = [](std::string& rom, std::size_t at, const std::string& bytes) {
            rom.replace(at, bytes.size(), bytes);
        };
        plant(gb, 0x0150, script("BANK"));
        plant(gb, 0x4200, script("HELLO"));
        plant(gb, 0x4300, script("ONE"));
        plant(gb, 0x8200, script("SECOND"));
        plant(gb, 0x8300, script("TWO"));
        plant(gb, 0x4100, std::string("\x00\x42\x50\x01\x00\x43\x00\x90\x00\x44", 10));
        plant(gb, 0x4110, std::string("\x00\x43\x00", 3));  // big-endian 24 bits, 0x100 on
        writeFile(root() / "roms/game.gb", gb);
        std::string snes(0x10200, '\x30');
        plant(snes, 0x200 + 0x0040, script("ZERO"));
        plant(snes, 0x200 + 0x8020, script("SNES"));
        plant(snes, 0x200 + 0x8010, std::string("\x20\x80\x40\x80\x00\x70", 6));
        plant(snes, 0x200 + 0x8100, std::string("\x20\x80\x01\x20\x80\x81\x40\x80\x00", 9));
        writeFile(root() / "roms/game.sfc", snes);
    }
};

struct TableCase {
    const char* name;
    const char* rom;
    std::vector<std::string> args;
    std::vector<std::string> lines;  // each after "PATH:"
};

class DumpPointerTableLines : public DumpPointerTable, public ::testing::WithParamInterface<TableCase> {};

TEST_P(DumpPointerTableLines, OneLinePerPointerInTableOrder) {
    const TableCase& c = GetParam();
    std::vector<std::string> args = c.args;
    args.push_back(rom(c.rom));
    const Outcome run = dump(args);
    std::string expected;
    for (const std::string& line : c.lines) expected += rom(c.rom) + ":" + line + "\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpPointerTableLines,
    ::testing::Values(
        TableCase{"GbInTheTablesBankByExtension",
                  "game.gb",
                  {"--pointer-table", "0x4100,5"},
                  {"16896 (4200 hex) <- 16640 (4100 hex)  HELLO", "336 (150 hex) <- 16642 (4102 hex)  BANK",
                   "17152 (4300 hex) <- 16644 (4104 hex)  ONE",
                   "- <- 16646 (4106 hex)  (outside the file: the value 36864 (9000 hex) is no address in the "
                   "cartridge)",
                   "17408 (4400 hex) <- 16648 (4108 hex)  (no table entry matches here)"}},
        TableCase{"GbInTheBankGiven",
                  "game.gb",
                  {"--pointer-table", "16640,3", "--map", "gb", "--bank", "2"},
                  {"33280 (8200 hex) <- 16640 (4100 hex)  SECOND", "336 (150 hex) <- 16642 (4102 hex)  BANK",
                   "33536 (8300 hex) <- 16644 (4104 hex)  TWO"}},
        TableCase{"GbBankPastTheFileAndOn",
                  "game.gb",
                  {"--pointer-table", "0x4100,2", "--bank", "3"},
                  {"49664 (C200 hex) <- 16640 (4100 hex)  (outside the file, which ends at 49152 (C000 hex))",
                   "336 (150 hex) <- 16642 (4102 hex)  BANK"}},
        TableCase{"LinearBigEndianFromABase",
                  "game.gb",
                  {"--pointer-table", "0x4110,1", "--map", "linear", "--width", "24", "--byte-order", "big", "--base",
                   "0x100"},
                  {"16896 (4200 hex) <- 16656 (4110 hex)  HELLO"}},
        TableCase{"LoromAfterTheCopiersHeader",
                  "game.sfc",
                  {"--pointer-table", "0x8210,3"},
                  {"33312 (8220 hex) <- 33296 (8210 hex)  SNES",
                   "33344 (8240 hex) <- 33298 (8212 hex)  (no table entry matches here)",
                   "- <- 33300 (8214 hex)  (outside the file: the value 28672 (7000 hex) is no address in the "
                   "cartridge)"}},
        TableCase{"LoromBankZeroGiven",
                  "game.sfc",
                  {"--pointer-table", "0x8210,2", "--bank", "0"},
                  {"544 (220 hex) <- 33296 (8210 hex)  (no table entry matches here)",
                   "576 (240 hex) <- 33298 (8212 hex)  ZERO"}},
        TableCase{"LoromLongPointersAndTheirMirror",
                  "game.sfc",
                  {"--pointer-table", "0x8300,3", "--map", "snes-lorom", "--width", "24"},
                  {"33312 (8220 hex) <- 33536 (8300 hex)  SNES", "33312 (8220 hex) <- 33539 (8303 hex)  SNES",
                   "576 (240 hex) <- 33542 (8306 hex)  ZERO"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DumpPointerTable, JsonAddsThePointer) {
    const Outcome run = dump({"--json", "--pointer-table", "0x4104,2", rom("game.gb")});
    const std::string path = "{\"path\":" + nlohmann::json(rom("game.gb")).dump() + ",";
    EXPECT_EQ(run.out, path + "\"offset\":17152,\"pointer\":16644,\"length\":4,\"text\":\"ONE\",\"ended\":true}\n" +
                           path +
                           "\"offset\":null,\"pointer\":16646,\"outside\":\"outside the file: the value 36864 "
                           "(9000 hex) is no address in the cartridge\"}\n");
    EXPECT_EQ(run.status, 0);
}

TEST_F(DumpPointerTable, OnlyPointersOutsideMatchNothing) {
    const Outcome run = dump({"--pointer-table", "0x4106,1", rom("game.gb")});
    EXPECT_EQ(run.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    PointerTable, DumpTrouble,
    ::testing::Values(
        TroubleCase{"TableWithoutCount",
                    {"--pointer-table", "0x10", "--map", "gb"},
                    "kinfold: --pointer-table \"0x10\" is not OFFSET,COUNT: give the table's offset and its number "
                    "of pointers, each in decimal or in hex after 0x.\n"},
        TroubleCase{"TableOfNoPointers",
                    {"--pointer-table", "0x10,0", "--map", "gb"},
                    "kinfold: --pointer-table: a table of 0 pointers leads to no string; give a COUNT of 1 or more.\n"},
        TroubleCase{"UnknownMapping",
                    {"--pointer-table", "0,1", "--map", "megadrive"},
                    "kinfold: There is no mapping \"megadrive\": give one of linear, gb, nes, snes-lorom, "
                    "snes-hirom, gba, or auto.\n"},
        TroubleCase{"BankOfAnUnbankedMapping",
                    {"--pointer-table", "0,1", "--map", "gba", "--bank", "1"},
                    "kinfold: --bank is for the mappings with 16-bit pointers into banks: gb, nes, snes-lorom and "
                    "snes-hirom.\n"},
        TroubleCase{"BankWithoutTable", {"--bank", "1"}, "--bank requires --pointer-table"},
        TroubleCase{"MinimumWithTable",
                    {"--pointer-table", "0,1", "--map", "gb", "--min-length", "2"},
                    "--min-length excludes --pointer-table"},
        TroubleCase{"TablePastTheFile",
                    {"--pointer-table", "20,4", "--map", "gb"},
                    "kinfold: Can't read the pointer table of \""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DumpPointerTable, BankOfAMappingByExtensionWithoutBanks) {
    writeFile(root() / "roms/game.gba", std::string(64, '\0'));
    const Outcome run = dump({"--pointer-table", "0,2", "--bank", "1", rom("game.gba")});
    EXPECT_EQ(run.err, "kinfold: \"" + rom("game.gba") +
                           "\" is read as gba: --bank is for the mappings with 16-bit pointers into banks: gb, nes, "
                           "snes-lorom and snes-hirom.\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 2);
}

TEST_F(DumpPointerTable, TablePastTheEndSaysWhere) {
    const Outcome run = dump({"--pointer-table", "0xBFFE,2", rom("game.gb")});
    EXPECT_EQ(run.err, "kinfold: Can't read the pointer table of \"" + rom("game.gb") +
                           "\": 2 pointers of 2 bytes from 49150 (BFFE hex) run past the end of the file (49152 "
                           "bytes).\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 2);
}

TEST_F(Dump, NoTable) {
    fs::remove(root() / "game.tbl");
    const Outcome run = dump({rom("a.gb")});
    EXPECT_EQ(run.err,
              "kinfold: Can't read the table \"" + (root() / "game.tbl").string() + "\": there is no such file.\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 2);
}

TEST_F(Dump, BadTableNamesItsLine) {
    writeFile(root() / "game.tbl", "41=A\n$F0=[wait]\n");
    const Outcome run = dump({rom("a.gb")});
    EXPECT_EQ(run.err, "kinfold: Can't read the table \"" + (root() / "game.tbl").string() +
                           "\": line 2 is not a table line (a control code needs \",N\" after its label, N from 0 "
                           "to 8 parameter bytes).\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 2);
}

}  // namespace
}  // namespace kinfold::cli
