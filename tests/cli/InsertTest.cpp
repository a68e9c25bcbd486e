// `kinfold insert` and `kinfold patch` as a user runs them.
#include "RunKinfold.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace kinfold::cli {
namespace {

using testing_support::Outcome;
using testing_support::TempFolder;
namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

constexpr int kStrings = 120;
constexpr std::size_t kTable = 0x100;  // kStrings pointers of 4 bytes
constexpr std::size_t kText = 0x1000;  // the strings, one after another
constexpr std::size_t kFree = 0x8000;  // free space to the end
constexpr std::size_t kSize = 0x10000;

// A GBA ROM: capitals at 80, space at 7F, "THE " at D0, "ING" at E001, line
// breaks at FE, a control with one parameter at F0, strings ended by 00, a
// pointer table of kStrings strings.
class Insert : public ::testing::Test {
protected:
    void SetUp() override {
        std::string table = "/00\n*FE\n$F0=[wait],1\n7F= \nD0=THE \nE001=ING\n";
        for (int c = 0; c < 26; ++c) {
            char line[8];
            std::snprintf(line, sizeof line, "%02X=%c\n", 0x80 + c, 'A' + c);
            table += line;
        }
        writeFile(path("game.tbl"), table);
        std::string rom(kSize, '\xEE');
        std::mt19937 random(5);
        std::size_t at = kText;
        for (int k = 0; k < kStrings; ++k) {
            const std::uint32_t value = 0x08000000u + static_cast<std::uint32_t>(at);
            for (int b = 0; b < 4; ++b)
                rom[kTable + 4 * static_cast<std::size_t>(k) + static_cast<std::size_t>(b)] =
                    static_cast<char>(value >> (8 * b));
            for (std::size_t n = 3 + random() % 20; n > 0; --n) {
                const unsigned r = random() % 30;
                rom[at++] = static_cast<char>(r < 26    ? 0x80 + r
                                              : r == 26 ? 0x7F
                                              : r == 27 ? 0xD0
                                              : r == 28 ? 0xFE
                                                        : 0xE0);
                if (r == 29) rom[at++] = 0x01;
            }
            rom[at++] = 0;
        }
        writeFile(path("game.gba"), rom);
    }
    fs::path path(const char* name) const { return folder_.path() / name; }
    std::string p(const char* name) const { return path(name).string(); }

    Outcome run(std::vector<std::string> words) const { return testing_support::runKinfoldWith(std::move(words), {}); }
    Outcome dumpTable(const char* rom) const {
        return run({"dump", "--tbl", p("game.tbl"), "--pointer-table",
                    std::to_string(kTable) + "," + std::to_string(kStrings), p(rom)});
    }
    Outcome insert(const char* script, std::vector<std::string> more) const {
        std::vector<std::string> words = {"insert", "--tbl", p("game.tbl"), "--script", p(script)};
        words.insert(words.end(), more.begin(), more.end());
        words.push_back(p("game.gba"));
        return run(words);
    }

    TempFolder folder_;
};

TEST_F(Insert, UneditedScriptChangesNothing) {
    const Outcome dumped = dumpTable("game.gba");
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    writeFile(path("script.txt"), dumped.out);
    const Outcome inserted = insert("script.txt", {"-o", p("out.gba"), "--ips", p("out.ips"), "--bps", p("out.bps")});
    EXPECT_EQ(inserted.status, 1) << inserted.err;
    EXPECT_EQ(inserted.err,
              "0 strings changed: 0 in place, 0 moved, 0 pointers rewritten; checksums updated: none; 0 bytes of free "
              "space left\n");
    EXPECT_EQ(readAll(path("out.gba")), readAll(path("game.gba")));
    EXPECT_EQ(readAll(path("out.ips")), "PATCHEOF");
    EXPECT_EQ(run({"patch", p("out.bps"), p("game.gba"), "-o", p("back.gba")}).status, 0);
    EXPECT_EQ(readAll(path("back.gba")), readAll(path("game.gba")));
}

// Every text edited, a few bytes shorter or longer; the script dumped again reads the edited texts at their new places.
TEST_F(Insert, EditedScriptReadsBackThroughThePointerTable) {
    const Outcome dumped = dumpTable("game.gba");
    std::istringstream lines(dumped.out);
    std::string edited;
    std::vector<std::string> texts;
    std::mt19937 random(11);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t text = line.find("  ") + 2;
        std::string t = line.substr(text);
        if (random() % 2 == 0) {
            t += random() % 2 ? " AND THE KING SAID\\nYES" : "[wait]<$3C>";
        } else {
            t = t.substr(0, t.size() / 2);
        }
        // Not a line break's escape cut in half.
        if (!t.empty() && t.back() == '\\') t.pop_back();
        texts.push_back(line.substr(0, text) + t);
        edited += texts.back() + "\n";
    }
    writeFile(path("edited.txt"), edited);
    const Outcome inserted = insert("edited.txt", {"--free", "0x8000-0x10000", "-o", p("out.gba"), "--ips",
                                                   p("out.ips"), "--bps", p("out.bps"), "--json"});
    ASSERT_EQ(inserted.status, 0) << inserted.err;
    EXPECT_NE(inserted.out.find("\"newOffset\":32768"), std::string::npos);
    const Outcome again = dumpTable("out.gba");
    std::istringstream back(again.out);
    std::size_t k = 0;
    for (std::string line; std::getline(back, line); ++k) {
        ASSERT_LT(k, texts.size());
        // The text after the pointer; the string's own offset may have changed.
        EXPECT_EQ(line.substr(line.find(" <- ")), texts[k].substr(texts[k].find(" <- "))) << k;
    }
    EXPECT_EQ(k, texts.size());
    for (const char* patch : {"out.ips", "out.bps"}) {
        EXPECT_EQ(run({"patch", p(patch), p("game.gba"), "-o", p("patched.gba")}).status, 0) << patch;
        EXPECT_EQ(readAll(path("patched.gba")), readAll(path("out.gba"))) << patch;
    }
}

struct RefusedRun {
    const char* name;
    std::string script;
    std::vector<std::string> options;
    const char* says;
};

class InsertRefusals : public Insert, public ::testing::WithParamInterface<RefusedRun> {};

TEST_P(InsertRefusals, WriteNothing) {
    writeFile(path("script.txt"), GetParam().script);
    std::vector<std::string> options = GetParam().options;
    for (const char* o : {"-o", "out.gba", "--ips", "out.ips", "--bps", "out.bps"})
        options.push_back(std::string(o).starts_with("-") ? o : p(o));
    const Outcome run = insert("script.txt", options);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().says), std::string::npos) << run.err;
    for (const char* o : {"out.gba", "out.ips", "out.bps"}) EXPECT_FALSE(fs::exists(path(o))) << o;
}

INSTANTIATE_TEST_SUITE_P(
    Table, InsertRefusals,
    ::testing::Values(
        RefusedRun{"CharacterNotInTable",
                   "4096 (1000 hex)  HELLO?\n",
                   {},
                   "line 1: column 23: no table entry covers the character \"?\""},
        RefusedRun{
            "NoStringAtTheOffset", "# a comment\n16 (10 hex)  HELLO\n", {}, "line 2: no string starts at 16 (10 hex)"},
        RefusedRun{"OverlappingLines",
                   "4096 (1000 hex)  AB\n4097 (1001 hex)  B\n",
                   {},
                   "line 2: its string at 4097 (1001 hex) overlaps"},
        RefusedRun{"NoKnownPointer",
                   "4096 (1000 hex)  A VERY LONG TEXT THAT NEEDS TO MOVE\n",
                   {"--free", "0x8000-0x9000"},
                   "no pointer to it is known"},
        RefusedRun{"NoRoomAnywhere",
                   "4096 (1000 hex) <- 256 (100 hex)  A VERY LONG TEXT THAT NEEDS TO MOVE\n",
                   {"--free", "0x8000-0x8004"},
                   "the largest room left there is 4 bytes"},
        RefusedRun{"FreeRangePastTheEnd",
                   "4096 (1000 hex)  A\n",
                   {"--free", "0x8000-0x20000"},
                   "runs past the end of the ROM"},
        RefusedRun{"PadThatIsNoByte", "4096 (1000 hex)  A\n", {"--pad", "XYZ"}, "--pad \"XYZ\" is not a byte"}),
    [](const auto& info) { return info.param.name; });

TEST_F(Insert, OutputThatIsTheRomByAnotherNameIsRefused) {
    writeFile(path("script.txt"), "4096 (1000 hex)  A\n");
    fs::create_hard_link(path("game.gba"), path("same.gba"));
    const std::string before = readAll(path("game.gba"));
    const Outcome run = insert("script.txt", {"--bps", p("same.gba")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("it is the ROM itself"), std::string::npos) << run.err;
    EXPECT_EQ(readAll(path("game.gba")), before);
}

TEST_F(Insert, PatchRefusesTheWrongRom) {
    writeFile(path("script.txt"), "4096 (1000 hex)  A\n");
    ASSERT_EQ(insert("script.txt", {"--bps", p("out.bps")}).status, 0);
    std::string other = readAll(path("game.gba"));
    other[5] ^= 1;
    writeFile(path("other.gba"), other);
    const Outcome run = testing_support::runKinfoldWith({"patch", p("out.bps"), p("other.gba"), "-o", p("x.gba")}, {});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("with the CRC32"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(path("x.gba")));
}

TEST_F(Insert, HelpListsTheOptions) {
    const Outcome help = run({"insert", "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--tbl", "--script", "--pointers", "--map", "--free", "--pad", "--keep-checksums",
                               "--ips", "--bps", "--json"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(run({"patch", "--help"}).status, 0);
}

}  // namespace
}  // namespace kinfold::cli
