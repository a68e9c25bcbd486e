// `kinfold pointers` as a user runs it: arguments in, standard output,
// standard error and the exit status out.
#include "RunKinfold.h"
#include "cli/Kinfold.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace kinfold::cli {
namespace {

using testing_support::TempFolder;
namespace fs = std::filesystem;

using testing_support::Outcome;

Outcome pointers(const std::vector<std::string>& args) { return testing_support::runKinfoldWith({"pointers"}, args); }

// 0xFF everywhere, which no gb, nes or gba pointer holds, but for the bytes placed.
std::vector<std::uint8_t> image(std::size_t size,
                                std::initializer_list<std::pair<std::size_t, std::vector<std::uint8_t>>> placed) {
    std::vector<std::uint8_t> bytes(size, 0xFF);
    for (const auto& [at, part] : placed)
        std::copy(part.begin(), part.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

// A Game Boy ROM of three banks with pointers to 0x4123 (bank 1) in bank 0, at
// an odd offset of bank 1 and in bank 2, and one to 0x150 (bank 0); a copy
// under a name without a console's extension; an NES ROM with an iNES header
// and a pointer to the 5th byte of its program; a GBA ROM in a folder below.
class PointerFiles : public ::testing::Test {
protected:
    void SetUp() override {
        const auto gb = image(
            0xC000, {{0x10, {0x23, 0x41}}, {0x4001, {0x23, 0x41}}, {0x5000, {0x50, 0x01}}, {0x8010, {0x23, 0x41}}});
        folder_.write("rom.gb", gb);
        folder_.write("data.bin", gb);
        folder_.write("rom.nes", image(16 + 0x8000, {{0, {'N', 'E', 'S', 0x1A, 2}}, {48, {0x05, 0xC0}}}));
        fs::create_directory(root() / "sub");
        folder_.write("sub/rom.gba", image(0x100, {{0x40, {0x10, 0x00, 0x00, 0x08}}}));
    }
    fs::path root() const { return folder_.path(); }
    // "@name" stands for the file's path.
    std::string placed(std::string text) const {
        const std::string folder = root().string() + "/";
        for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size())) {
            text.replace(at, 1, folder);
        }
        return text;
    }
    Outcome run(std::vector<std::string> args) const {
        for (std::string& a : args) a = placed(a);
        return pointers(args);
    }

    TempFolder folder_;
};

struct PointersCase {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> lines;  // "@" for the folder
    std::string err;
    int status;
};

class PointerLines : public PointerFiles, public ::testing::WithParamInterface<PointersCase> {};

TEST_P(PointerLines, InOrderOfPositionThenTarget) {
    const Outcome outcome = run(GetParam().args);
    std::string expected;
    for (const std::string& line : GetParam().lines) expected += placed(testing_support::nativeSlashes(line)) + "\n";
    EXPECT_EQ(outcome.out, expected);
    EXPECT_EQ(outcome.err, placed(GetParam().err));
    EXPECT_EQ(outcome.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Kinfold, PointerLines,
    ::testing::Values(
        PointersCase{"GbByExtension",
                     {"--to", "336, 0x4123", "@rom.gb"},
                     {"@rom.gb:16 (10 hex) -> 16675 (4123 hex)", "@rom.gb:16385 (4001 hex) -> 16675 (4123 hex)",
                      "@rom.gb:20480 (5000 hex) -> 336 (150 hex)", "@rom.gb:32784 (8010 hex) -> 16675 (4123 hex)"},
                     "",
                     0},
        PointersCase{"TwoTargetsOneValue",
                     {"--to", "0x8123,0x4123", "@rom.gb"},
                     {"@rom.gb:16 (10 hex) -> 16675 (4123 hex)", "@rom.gb:16 (10 hex) -> 33059 (8123 hex)",
                      "@rom.gb:16385 (4001 hex) -> 16675 (4123 hex)", "@rom.gb:16385 (4001 hex) -> 33059 (8123 hex)",
                      "@rom.gb:32784 (8010 hex) -> 16675 (4123 hex)", "@rom.gb:32784 (8010 hex) -> 33059 (8123 hex)"},
                     "",
                     0},
        PointersCase{"Align",
                     {"--to", "0x4123", "--align", "@rom.gb"},
                     {"@rom.gb:16 (10 hex) -> 16675 (4123 hex)", "@rom.gb:32784 (8010 hex) -> 16675 (4123 hex)"},
                     "",
                     0},
        PointersCase{"BankOfPointer",
                     {"--to", "0x4123", "--bank-of-pointer", "@rom.gb"},
                     {"@rom.gb:16 (10 hex) -> 16675 (4123 hex)", "@rom.gb:16385 (4001 hex) -> 16675 (4123 hex)"},
                     "",
                     0},
        PointersCase{"LinearOnAnyFile",
                     {"--to", "0x4023", "--map", "linear", "--width", "16", "--base", "0x100", "@data.bin"},
                     {"@data.bin:16 (10 hex) -> 16419 (4023 hex)", "@data.bin:16385 (4001 hex) -> 16419 (4023 hex)",
                      "@data.bin:32784 (8010 hex) -> 16419 (4023 hex)"},
                     "",
                     0},
        PointersCase{"NesAfterItsHeader", {"--to", "21", "@rom.nes"}, {"@rom.nes:48 (30 hex) -> 21 (15 hex)"}, "", 0},
        PointersCase{"NesTargetInTheHeader",
                     {"--to", "3", "@rom.nes"},
                     {},
                     "kinfold: \"@rom.nes\": target 3 (3 hex) lies in the file's 16-byte header, where no pointer "
                     "leads; skipped.\n",
                     1},
        PointersCase{"TargetsPastTheEnd",
                     {"--to", "0x100001,0x150,0x100000", "@rom.gb"},
                     {"@rom.gb:20480 (5000 hex) -> 336 (150 hex)"},
                     "kinfold: \"@rom.gb\": 2 targets, from 1048576 (100000 hex) on, lie past the end of the file "
                     "(49152 bytes); skipped.\n",
                     0},
        PointersCase{"FolderWithInclude",
                     {"--to", "16", "--include", "*.gba", "@"},
                     {"@sub/rom.gba:64 (40 hex) -> 16 (10 hex)"},
                     "",
                     0},
        PointersCase{"NoPointer", {"--to", "0x777", "@rom.gb"}, {}, "", 1},
        PointersCase{"UnknownExtension",
                     {"--to", "0x4123", "@data.bin", "@rom.nes"},
                     {},
                     "kinfold: Can't tell the mapping of \"@data.bin\" from its extension: give --map with one of "
                     "linear, gb, nes, snes-lorom, snes-hirom, gba.\n",
                     2},
        PointersCase{"WidthTheChosenMappingDoesNotTake",
                     {"--to", "0x10", "--width", "24", "@sub/rom.gba"},
                     {},
                     "kinfold: \"@sub/rom.gba\" is searched as gba: The mapping gba takes pointers of 32 bits, not "
                     "24.\n",
                     2}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::vector<std::string> args;
    std::string message;  // after "kinfold: "
};

class PointerRefusals : public PointerFiles, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PointerRefusals, SayWhyWithStatus2) {
    std::vector<std::string> args = GetParam().args;
    args.push_back("@rom.gb");
    const Outcome outcome = run(args);
    EXPECT_EQ(outcome.err, "kinfold: " + placed(GetParam().message) + "\n");
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.status, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Kinfold, PointerRefusals,
    ::testing::Values(
        RefusalCase{"NoTargets", {}, "Give the offsets pointed at with --to or --to-file."},
        RefusalCase{"OffsetNotANumber",
                    {"--to", "5,0x1G"},
                    "--to \"0x1G\" is not an offset: give a number in decimal, or in hex after 0x."},
        RefusalCase{
            "EmptyOffset", {"--to", "5,"}, "--to \"\" is not an offset: give a number in decimal, or in hex after 0x."},
        RefusalCase{"NegativeOffset",
                    {"--to", "-5"},
                    "--to \"-5\" is not an offset: give a number in decimal, or in hex after 0x."},
        RefusalCase{"OffsetPastTheLargest",
                    {"--to", "0x10000000000000000"},
                    "--to \"0x10000000000000000\" is too large for an offset: the largest is 18446744073709551615 "
                    "(0xFFFFFFFFFFFFFFFF)."},
        RefusalCase{"UnknownMapping",
                    {"--to", "5", "--map", "snes"},
                    "There is no mapping \"snes\": give one of linear, gb, nes, snes-lorom, snes-hirom, gba, or auto."},
        RefusalCase{"WidthTheMappingDoesNotTake",
                    {"--to", "5", "--map", "gb", "--width", "32"},
                    "The mapping gb takes pointers of 16 bits, not 32."},
        RefusalCase{"WidthOfNoPointer", {"--to", "5", "--width", "8"}, "Pointers are 16, 24 or 32 bits wide, not 8."},
        RefusalCase{"BaseWithAuto",
                    {"--to", "5", "--base", "0x100"},
                    "--byte-order and --base are for the linear mapping: give --map linear."},
        RefusalCase{"BaseWithAConsolesMapping",
                    {"--to", "5", "--map", "nes", "--base", "4"},
                    "--base: The mapping nes has a base of its own; a base is for the linear mapping."},
        RefusalCase{"BaseNotANumber",
                    {"--to", "5", "--map", "linear", "--base", "x"},
                    "--base \"x\" is not a number: give it in decimal, or in hex after 0x."},
        RefusalCase{"BankOfPointerWithoutBanks",
                    {"--to", "5", "--map", "snes-lorom", "--width", "24", "--bank-of-pointer"},
                    "--bank-of-pointer is for the mappings with 16-bit pointers into banks: gb, nes, snes-lorom and "
                    "snes-hirom."},
        RefusalCase{"MissingOffsetsFile",
                    {"--to-file", "@none.txt"},
                    "Can't read the offsets file \"@none.txt\": there is no such file."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PointerFiles, OffsetsFileOneALine) {
    const std::string good = "0x4123\n\n  336\r\n";
    folder_.write("good.txt", std::span(reinterpret_cast<const std::uint8_t*>(good.data()), good.size()));
    const std::string bad = "0x4123\n12 13\n";
    folder_.write("bad.txt", std::span(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size()));
    EXPECT_EQ(run({"--to-file", "@good.txt", "@rom.gb"}).out, run({"--to", "336,0x4123", "@rom.gb"}).out);
    const Outcome refused = run({"--to-file", "@bad.txt", "@rom.gb"});
    EXPECT_EQ(refused.err, placed("kinfold: The offsets file \"@bad.txt\" line 2: \"12 13\" is not an offset: give a "
                                  "number in decimal, or in hex after 0x.\n"));
    EXPECT_EQ(refused.status, 2);
}

TEST_F(PointerFiles, JsonLinesReadBack) {
    const Outcome outcome = run({"--to", "21", "--json", "@rom.nes", "@rom.gb"});
    std::vector<std::tuple<std::string, std::uint64_t, std::uint64_t, std::uint32_t>> hits;
    std::istringstream lines(outcome.out);
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json hit = nlohmann::json::parse(line);
        hits.emplace_back(hit.at("path").get<std::string>(), hit.at("offset").get<std::uint64_t>(),
                          hit.at("target").get<std::uint64_t>(), hit.at("value").get<std::uint32_t>());
    }
    const decltype(hits) expected = {{placed("@rom.nes"), 48, 21, 0xC005}};
    EXPECT_EQ(hits, expected);
    EXPECT_EQ(outcome.status, 0);
}

}  // namespace
}  // namespace kinfold::cli
