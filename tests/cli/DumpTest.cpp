// `kinfold dump` as a user runs it.
#include "cli/Kinfold.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

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

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

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
        const std::string rom = std::string("\x01\x02\x87\x84\x8B\x8B\x8E\x00\x05\x06"
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

    Outcome dump(std::vector<std::string> args) const {
        args.insert(args.begin(), {"kinfold", "dump", "--tbl", (root() / "game.tbl").string()});
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        std::ostringstream out;
        std::ostringstream err;
        const int status = runKinfold(static_cast<int>(argv.size()), argv.data(), out, err, false);
        return {status, out.str(), err.str()};
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
    EXPECT_EQ(run.out, "{\"path\":\"" + rom("b.gb") +
                           "\",\"offset\":2,\"length\":11,\"text\":\"the END\\n[wait]<$09>KO\",\"ended\":true}\n");
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
    ::testing::Values(TroubleCase{"StartPastEndOffset", {"--start", "20", "--end", "0x10"},
                                  "kinfold: the start offset 20 is past the end offset 16.\n"},
                      TroubleCase{"StartPastTheFile", {"--start", "27"}, "kinfold: Can't dump the file \""},
                      TroubleCase{"MinimumZero", {"--min-length", "0"}, "--min-length: Value 0 not in range"},
                      TroubleCase{"NotAnOffset", {"--start", "0x"}, "--start: \"0x\" is not an offset"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Dump, NoTable) {
    fs::remove(root() / "game.tbl");
    const Outcome run = dump({rom("a.gb")});
    EXPECT_EQ(run.err, "kinfold: Can't read the table \"" + (root() / "game.tbl").string() + "\": there is no such file.\n");
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
