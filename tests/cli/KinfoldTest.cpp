// The `kinfold` command as a user runs it: arguments in, standard output,
// standard error and the exit status out.
#include "RunKinfold.h"
#include "cli/FileWalk.h"
#include "cli/Kinfold.h"
#include "search/SearchTestSupport.h"
#include "table/TableFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>

namespace kinfold::cli {
namespace {

using testing_support::TempFolder;
using testing_support::testScale;
namespace fs = std::filesystem;

using testing_support::Outcome;

Outcome kinfold(const std::vector<std::string>& args) { return testing_support::runKinfoldWith({"scan"}, args); }

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Each line of expected with the folder's path in front.
std::string under(const fs::path& root, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (root / testing_support::nativeSlashes(line)).string() + "\n";
    return text;
}

// A small collection: text in plain ASCII, in ASCII moved up by one, a word
// whose repeated letter differs, nested folders, and a 16-bit big-endian word
// at an odd offset that ends the file (so read little-endian one byte on, its
// last value would need a byte past the end).
class Collection : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(root() / "one.gb", "xxHelloxxHelxoyyIfmmp");
        writeFile(root() / "sub/deep/two.gbc", "zzHello");
        writeFile(root() / "notes.txt", "Hello");
        writeFile(root() / "sub/wide.bin", std::string("\x01\x30H\x30"
                                                       "e\x30l\x30l\x30o",
                                                       11));
        writeFile(root() / "values.ksv", "3\r\n72,0,0\r\n101,29,1\r\n108,7,1\r\n");
        writeFile(root() / "bad.ksv", "2\r\n72,0,0\r\nabc,1,1\r\n");
    }
    fs::path root() const { return folder_.path(); }

    TempFolder folder_;
};

struct ScanCase {
    const char* name;
    std::vector<std::string> args;   // before the paths
    std::vector<std::string> paths;  // below the collection
    std::vector<std::string> lines;  // expected, each below the collection
    int status;
};

class Scans : public Collection, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(Scans, PrintTheHitsInFileOrder) {
    std::vector<std::string> args = GetParam().args;
    for (const std::string& p : GetParam().paths) args.push_back((root() / testing_support::nativeSlashes(p)).string());
    const Outcome run = kinfold(args);
    EXPECT_EQ(run.out, under(root(), GetParam().lines));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Kinfold, Scans,
    ::testing::Values(
        ScanCase{"NestedFolders",
                 {"--string", "Hello", "--exclude", "*.ksv"},
                 {""},
                 {"notes.txt:0 (0 hex)", "one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "one.gb:16 (10 hex)",
                  "sub/deep/two.gbc:2 (2 hex)"},
                 0},
        ScanCase{"IncludeGlobs",
                 {"--string", "Hello", "--include", "*.gb", "--include", "*.gbc"},
                 {""},
                 {"one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "one.gb:16 (10 hex)", "sub/deep/two.gbc:2 (2 hex)"},
                 0},
        ScanCase{"ExcludeFolder",
                 {"--string", "Hello", "--exclude", "sub", "--exclude", "*.ksv"},
                 {""},
                 {"notes.txt:0 (0 hex)", "one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "one.gb:16 (10 hex)"},
                 0},
        ScanCase{"GlobWithSlashMatchesThePath",
                 {"--string", "Hello", "--include", "sub/*/*"},
                 {""},
                 {"sub/deep/two.gbc:2 (2 hex)"},
                 0},
        ScanCase{"NamedFileIgnoresGlobs",
                 {"--string", "Hello", "--include", "*.gb"},
                 {"notes.txt"},
                 {"notes.txt:0 (0 hex)"},
                 0},
        ScanCase{"ExactRepeats",
                 {"--string", "Hello", "--exact-repeats"},
                 {"one.gb"},
                 {"one.gb:2 (2 hex)", "one.gb:16 (10 hex)"},
                 0},
        ScanCase{"ValuesWithSkipAndHex",
                 {"--values", "72, 0x65 ,&H6C,*,111"},
                 {"one.gb"},
                 {"one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "one.gb:16 (10 hex)"},
                 0},
        ScanCase{"ValuesFromZero",
                 {"--values", "0,29,36,36,39"},
                 {"one.gb"},
                 {"one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "one.gb:16 (10 hex)"},
                 0},
        ScanCase{"MaxCount",
                 {"--string", "Hello", "--max-count", "2"},
                 {"one.gb", "notes.txt"},
                 {"one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "notes.txt:0 (0 hex)"},
                 0},
        ScanCase{"Count",
                 {"--string", "Hello", "--count", "--include", "*.gb*"},
                 {""},
                 {"one.gb:3", "sub/deep/two.gbc:1"},
                 0},
        ScanCase{"Preview",
                 {"--string", "Hello", "--preview", "6"},
                 {"one.gb"},
                 {"one.gb:2 (2 hex)  Hellox", "one.gb:9 (9 hex)  Helxoy", "one.gb:16 (10 hex)  Hello"},
                 0},
        ScanCase{"NoMatch", {"--string", "Zebra", "--exclude", "*.ksv"}, {""}, {}, 1},
        ScanCase{"Width16BigEndianAtAnOddOffset",
                 {"--string", "Hello", "--width", "16", "--byte-order", "big"},
                 {"sub/wide.bin"},
                 {"sub/wide.bin:1 (1 hex)"},
                 0},
        ScanCase{"Width16LittleEndianMisses", {"--string", "Hello", "--width", "16"}, {"sub/wide.bin"}, {}, 1},
        ScanCase{"AlignSkipsOddOffsets",
                 {"--string", "Hello", "--width", "16", "--byte-order", "big", "--align"},
                 {"sub/wide.bin"},
                 {},
                 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Collection, ValuesFile) {
    const Outcome run = kinfold({"--values-file", (root() / "values.ksv").string(), (root() / "one.gb").string()});
    EXPECT_EQ(run.out, under(root(), {"one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "one.gb:16 (10 hex)"}));
    EXPECT_EQ(run.status, 0);
}

// "@name" in the arguments and the message stands for a file of the collection.
struct RefusedCase {
    const char* name;
    std::vector<std::string> args;
    std::string message;  // after "kinfold: "
};

std::string placed(std::string text, const fs::path& root) {
    const std::string folder = root.string() + "/";
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size())) {
        text.replace(at, 1, folder);
    }
    return text;
}

class Refusals : public Collection, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(Refusals, UseTheWindowsWords) {
    std::vector<std::string> args = GetParam().args;
    for (std::string& a : args) {
        if (a.rfind("@", 0) == 0) a = placed(a, root());
    }
    args.push_back(root().string());
    const Outcome run = kinfold(args);
    EXPECT_EQ(run.err, "kinfold: " + placed(GetParam().message, root()) + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.status, 2);
}

std::string manyValues(int n) {
    std::string list = "1";
    for (int i = 1; i < n; ++i) list += ",*";
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    Kinfold, Refusals,
    ::testing::Values(
        RefusedCase{"OneValue",
                    {"--values", "5"},
                    "You can't search in a kinfold way unless you have at least two values to search for!"},
        RefusedCase{"SkipFirst", {"--values", "*,5"}, "You can't skip the first value!"},
        RefusedCase{"OutOfRange",
                    {"--values", "1,32768"},
                    "That is not a valid value! --values entry 2 \"32768\": not a number from -32768 to 32767."},
        RefusedCase{"StepPast16Bits",
                    {"--values", "-32768,32767"},
                    "That is not a valid value! --values entry 2 \"32767\": the step from the entry before it "
                    "does not fit 16 bits."},
        RefusedCase{"ThousandAndOne", {"--values", manyValues(1001)}, "You can't add more than 1000 values!"},
        RefusedCase{"EmptyString", {"--string", ""}, "You have not entered a string!"},
        RefusedCase{"CharacterWithoutCode",
                    {"--string", "a\xF0\x9D\x84\x9E"},
                    "That is not a valid value! --string character 2 \"\xF0\x9D\x84\x9E\" (U+1D11E): it is not in "
                    "Windows-1252 and its code point is above 32767."},
        RefusedCase{
            "BadUtf8", {"--string", "ab\xC3"}, "That is not a valid value! --string byte 3 is not valid UTF-8."},
        RefusedCase{"BadValuesFile",
                    {"--values-file", "@bad.ksv"},
                    "Can't load the values file \"@bad.ksv\": line 3: \"abc\" is not a whole number."},
        RefusedCase{"MissingValuesFile",
                    {"--values-file", "@none.ksv"},
                    "Can't open the values file \"@none.ksv\": there is no such file."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Collection, ThousandValuesAreTaken) {
    const Outcome run = kinfold({"--values", manyValues(1000), (root() / "notes.txt").string()});
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 1);
}

TEST_F(Collection, UnsearchablePathsAreErrorsButTheRestIsReported) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows keeps named pipes out of folders, and making links takes a privilege";
#else
    fs::create_symlink(root() / "nowhere", root() / "dangling.gb");
    ASSERT_EQ(::mkfifo((root() / "pipe.gb").c_str(), 0600), 0);
    fs::create_directory_symlink(root() / "sub", root() / "linked");
    const Outcome run = kinfold({"--string", "Hello", "--include", "*.gb", root().string()});
    EXPECT_EQ(run.out, under(root(), {"one.gb:2 (2 hex)", "one.gb:9 (9 hex)", "one.gb:16 (10 hex)"}));
    EXPECT_EQ(run.err, "kinfold: Can't open the ROM file \"" + (root() / "dangling.gb").string() +
                           "\": there is no such file.\n"
                           "kinfold: Can't open the ROM file \"" +
                           (root() / "pipe.gb").string() + "\": it is not an ordinary file.\n");
    EXPECT_EQ(run.status, 2);
#endif
}

// The walk measures files only for the progress display; either way it
// finds the same files in the same order, links to files measured as their target.
TEST_F(Collection, WalkMeasuresSizesOnlyWhenAsked) {
#if !defined(_WIN32)
    // Windows gives links only to those with a privilege for them (and Wine makes none).
    fs::create_symlink(root() / "one.gb", root() / "sub/link.gb");
#endif
    const std::vector<FoundFile> measured = findFiles({root()}, {}, true);
    const std::vector<FoundFile> unmeasured = findFiles({root()}, {}, false);
    std::vector<std::pair<std::string, std::uint64_t>> sizes;
    for (const FoundFile& f : measured) {
        sizes.emplace_back(f.path.lexically_relative(root()).generic_string(), f.size);
    }
    std::vector<std::pair<std::string, std::uint64_t>> expected = {
        {"bad.ksv", 20},     {"notes.txt", 5},     {"one.gb", 21},    {"sub/deep/two.gbc", 7},
        {"sub/link.gb", 21}, {"sub/wide.bin", 11}, {"values.ksv", 30}};
#if defined(_WIN32)
    expected.erase(expected.begin() + 4);
#endif
    EXPECT_EQ(sizes, expected);
    ASSERT_EQ(unmeasured.size(), measured.size());
    for (std::size_t i = 0; i < measured.size(); ++i) {
        EXPECT_EQ(unmeasured[i].path, measured[i].path);
        EXPECT_EQ(unmeasured[i].size, 0u);
    }
    EXPECT_EQ(findFiles({root() / "one.gb"}, {}, true).at(0).size, 21u);
}

TEST_F(Collection, TablePerShiftAfterEachShiftsFirstHit) {
    const Outcome run =
        kinfold({"--string", "Hello", "--preview", "2", "--table", "--table-per-shift", (root() / "one.gb").string()});
    const std::string one = (root() / "one.gb").string();
    EXPECT_EQ(run.out.find(one + ":2 (2 hex)  He\n  table for shift 0:\n    41=A\n    42=B\n"), 0u);
    const std::size_t second = run.out.find(one + ":16 (10 hex)  He\n  table for shift +1:\n    42=A\n");
    EXPECT_NE(second, std::string::npos);
    EXPECT_NE(run.out.find("    7B=z\n", second), std::string::npos);
    std::size_t tables = 0;
    for (std::size_t at = run.out.find("table for"); at != std::string::npos; at = run.out.find("table for", at + 1)) {
        ++tables;
    }
    EXPECT_EQ(tables, 2u);  // the hit at 9 has shift 0 again
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

// Hits at 2 and 9 have shift 0, the one at 16 shift +1: one table, shift 0's, the other named.
TEST_F(Collection, TableOfTheShiftWithTheMostHits) {
    const std::string one = (root() / "one.gb").string();
    const std::string note = "kinfold: " + one +
                             ": the hits have 2 shifts; the table is for shift 0 (2 hits), the others are +1 (1 "
                             "hit); --table-per-shift prints a table for each\n";
    const Outcome alone = kinfold({"--string", "Hello", "--table", one});
    EXPECT_EQ(alone.out.find("# " + one + ":2 (2 hex), shift 0\n41=A\n42=B\n"), 0u);
    EXPECT_EQ(alone.out.find("# ", 1), std::string::npos);
    const TableFileRead read = parseTableFile(alone.out);
    ASSERT_TRUE(read.table.has_value()) << read.line << ": " << read.reason;
    EXPECT_EQ(read.table->find({0x42})->text, "B");
    EXPECT_EQ(alone.err, note);
    EXPECT_EQ(alone.status, 0);

    const Outcome withHits = kinfold({"--string", "Hello", "--preview", "1", "--table", one});
    EXPECT_EQ(withHits.out.find(one + ":2 (2 hex)  H\n" + one + ":9 (9 hex)  H\n" + one + ":16 (10 hex)  H\n" +
                                "  table for shift 0:\n    41=A\n"),
              0u);
    EXPECT_EQ(withHits.err, note);
    const Outcome oneShift = kinfold({"--string", "Hello", "--table", (root() / "sub/deep/two.gbc").string()});
    EXPECT_EQ(oneShift.err, "");
}

TEST_F(Collection, KanaShiftsShowWhereAIs) {
    writeFile(root() / "kana.gb", "\x10\x11\x12");  // あいう with あ at 16
    const Outcome run = kinfold({"--string", "\u3042\u3044\u3046", "--table", (root() / "kana.gb").string()});
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "# " + (root() / "kana.gb").string() + ":0 (0 hex), shift -10224 (\u3042=16)");
}

struct KanaHintCase {
    const char* name;
    std::vector<std::string> args;
    std::string err;
};

class KanaHints : public Collection, public ::testing::WithParamInterface<KanaHintCase> {};

TEST_P(KanaHints, SayWhenPunctuationMayBeTheCause) {
    std::vector<std::string> args = GetParam().args;
    args.push_back((root() / "one.gb").string());
    const Outcome run = kinfold(args);
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(run.status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Kinfold, KanaHints,
    ::testing::Values(
        KanaHintCase{"LongVowelMark",
                     {"--string", "\u30DD\u30FC\u30B7\u30E7\u30F3"},
                     "kinfold: nothing matched \"\u30DD\u30FC\u30B7\u30E7\u30F3\", which holds \"\u30FC\": "
                     "--letters-only finds words whose punctuation lies elsewhere in the game's table.\n"},
        KanaHintCase{"Punctuation",
                     {"--string", "\u3042\u3001\u3044"},
                     "kinfold: nothing matched \"\u3042\u3001\u3044\", which holds \"\u3001\": "
                     "--letters-only finds words whose punctuation lies elsewhere in the game's table.\n"},
        KanaHintCase{"LettersOnlyAlready", {"--string", "\u30DD\u30FC\u30B7\u30E7\u30F3", "--letters-only"}, ""},
        KanaHintCase{"KanaAlone", {"--string", "\u3055\u304F\u3089"}, ""},
        KanaHintCase{"NoKana", {"--string", "Hi-Potion"}, ""},
        KanaHintCase{"TheWildcardIsNoPunctuation", {"--string", "\u3042?\u3093", "--wildcard", "?"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Collection, PreviewThroughAnOpenedTable) {
    writeFile(root() / "game.tbl", "6C6C=[ll]\n/78\n");
    const std::string one = (root() / "one.gb").string();
    const Outcome run = kinfold({"--string", "Hello", "--preview", "7", "--tbl", (root() / "game.tbl").string(), one});
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), one + ":2 (2 hex)  He[ll]o<$78><$78>");
    EXPECT_EQ(run.status, 0);
    writeFile(root() / "bad.tbl", "41=A\n*\n");
    const Outcome bad = kinfold({"--string", "Hello", "--preview", "7", "--tbl", (root() / "bad.tbl").string(), one});
    EXPECT_EQ(bad.err,
              "kinfold: Can't read the table \"" + (root() / "bad.tbl").string() +
                  "\": line 2 is not a table line (\"*\" has no bytes after it: the hex digits of the bytes it "
                  "stands for are missing).\n");
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.status, 2);
}

// A backslash, a line break and a textless end token, each on the hit's own line.
TEST_F(Collection, PreviewStaysOnOneLine) {
    writeFile(root() / "script.gb", "Hello\\a\nb\xFFz");
    writeFile(root() / "script.tbl", "5C=\\\n0A=\\n\n/FF\n");
    const std::string file = (root() / "script.gb").string();
    const Outcome run =
        kinfold({"--string", "Hello", "--preview", "11", "--tbl", (root() / "script.tbl").string(), file});
    EXPECT_EQ(run.out, file + ":0 (0 hex)  Hello\\\\a\\nb<$FF>z\n");
}

TEST_F(Collection, JsonLinesReadBack) {
    const Outcome run =
        kinfold({"--string", "Hello", "--json", "--preview", "5", "--table", "--include", "*.gb*", root().string()});
    std::vector<std::tuple<std::string, std::uint64_t, int, std::string, std::string>> hits;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json hit = nlohmann::json::parse(line);
        hits.emplace_back(hit.at("path").get<std::string>(), hit.at("offset").get<std::uint64_t>(),
                          hit.at("shift").get<int>(), hit.at("preview").get<std::string>(),
                          hit.contains("table") ? hit.at("table").at("49").get<std::string>() : "");
    }
    const std::string one = (root() / "one.gb").string();
    const std::vector<std::tuple<std::string, std::uint64_t, int, std::string, std::string>> expected = {
        {one, 2, 0, "Hello", "I"},
        {one, 9, 0, "Helxo", ""},
        {one, 16, 1, "Hello", "H"},
        {(root() / testing_support::nativeSlashes("sub/deep/two.gbc")).string(), 2, 0, "Hello", "I"}};
    EXPECT_EQ(hits, expected);
    EXPECT_EQ(run.status, 0);
}

// Many files, some with far more output than a worker keeps while waiting
// for its turn: the output is the same whatever the number of threads.
TEST(KinfoldThreads, OutputDoesNotDependOnThreads) {
    TempFolder folder;
    std::mt19937 random(7);
    const int files = 40 * testScale();
    for (int f = 0; f < files; ++f) {
        std::string bytes(random() % 3 == 0 ? 200000 : random() % 2000, '\0');
        for (char& b : bytes) b = static_cast<char>(random() % 4);
        const std::string name = std::to_string(f);
        writeFile(folder.path() / name.substr(name.size() - 1) / name, bytes);
    }
    const std::vector<std::string> pattern = {"--values", "1,*,3", folder.path().string()};
    std::vector<std::string> one = pattern;
    one.insert(one.end(), {"-j", "1"});
    std::vector<std::string> eight = pattern;
    eight.insert(eight.end(), {"-j", "8"});
    const Outcome first = kinfold(one);
    const Outcome second = kinfold(eight);
    EXPECT_GT(first.out.size(), std::size_t{1} << 20);
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(second.status, 0);
}

}  // namespace
}  // namespace kinfold::cli

namespace kinfold::cli {
namespace {

// Japanese words planted as the games keep them: in gojuon order from byte
// 0x50, in an iroha-ordered font from 0x10, with the voicing mark as a byte
// of its own (0xDE) after the kana, and in Shift-JIS.
constexpr std::string_view kGojuon =
    "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん";
constexpr std::string_view kIroha = "いろはにほへとちりぬるをわかよたれそつねならむ";

std::string placesOf(std::string_view order, std::string_view word, int base) {
    // Each kana is 3 bytes of UTF-8 in both texts.
    std::string bytes;
    for (std::size_t at = 0; at < word.size(); at += 3) {
        bytes += static_cast<char>(base + static_cast<int>(order.find(word.substr(at, 3)) / 3));
    }
    return bytes;
}

class KanaFiles : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(root() / "gojuon.gb", "\x01\x02" + placesOf(kGojuon, "さくら", 0x50) + "\x03");
        const std::string ha = placesOf(kIroha, "は", 0x10), na = placesOf(kIroha, "な", 0x10);
        writeFile(root() / "iroha.gb", "\x01" + ha + na + "\x03" + ha + "\xDE" + na);
        const std::string to = placesOf(kGojuon, "と", 0x50), ko = placesOf(kGojuon, "こ", 0x50);
        writeFile(root() / "voicing.gb",
                  "\x01" + to + "\xDE" + placesOf(kGojuon, "らこ", 0x50) + "\xDE" + placesOf(kGojuon, "ん", 0x50));
        writeFile(root() / "sjis.bin", std::string("\x00\x82\xB3\x82\xAD\x82\xE7\x00", 8));  // さくら
        writeFile(root() / "latin.gb", "xxHi#Potion!xx");
        writeFile(root() / "iroha.txt",
                  "\xEF\xBB\xBF" + std::string(kIroha.substr(0, 30)) + "\r\n" + std::string(kIroha.substr(30)) + "\n");
    }
    fs::path root() const { return folder_.path(); }

    TempFolder folder_;
};

struct KanaCase {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the folder
    std::string file;
    std::vector<std::string> lines;  // hits in that file
    std::string err;                 // after "kinfold: "
    int status;
};

class KanaScans : public KanaFiles, public ::testing::WithParamInterface<KanaCase> {};

TEST_P(KanaScans, FindTheGamesWords) {
    std::vector<std::string> args = GetParam().args;
    for (std::string& a : args) a = placed(a, root());
    args.push_back((root() / GetParam().file).string());
    const Outcome run = kinfold(args);
    std::string out;
    for (const std::string& line : GetParam().lines) out += (root() / GetParam().file).string() + ":" + line + "\n";
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, GetParam().err.empty() ? "" : "kinfold: " + placed(GetParam().err, root()) + "\n");
    EXPECT_EQ(run.status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Kinfold, KanaScans,
    ::testing::Values(
        KanaCase{
            "GojuonByDefault", {"--string", "さくら", "--preview", "3"}, "gojuon.gb", {"2 (2 hex)  さくら"}, "", 0},
        KanaCase{"UnicodeMissesGojuon", {"--string", "さくら", "--kana", "unicode"}, "gojuon.gb", {}, "", 1},
        KanaCase{"UnicodeFindsShiftJis",
                 {"--string", "さくら", "--kana", "unicode", "--width", "16", "--byte-order", "big"},
                 "sjis.bin",
                 {"1 (1 hex)"},
                 "",
                 0},
        KanaCase{"GojuonMissesShiftJis",
                 {"--string", "さくら", "--width", "16", "--byte-order", "big"},
                 "sjis.bin",
                 {},
                 "",
                 1},
        KanaCase{"SplitVoiced", {"--string", "どらごん", "--split-voiced"}, "voicing.gb", {"1 (1 hex)"}, "", 0},
        KanaCase{"VoicedWholeMisses", {"--string", "どらごん"}, "voicing.gb", {}, "", 1},
        KanaCase{"Order", {"--string", "はな", "--order", std::string(kIroha)}, "iroha.gb", {"1 (1 hex)"}, "", 0},
        KanaCase{"OrderDecodesThePreview",
                 {"--string", "はな", "--order", std::string(kIroha), "--preview", "2"},
                 "iroha.gb",
                 {"1 (1 hex)  はな"},
                 "",
                 0},
        KanaCase{"OrderFile", {"--string", "はな", "--order-file", "@iroha.txt"}, "iroha.gb", {"1 (1 hex)"}, "", 0},
        KanaCase{"OrderWithSplitVoiced",
                 {"--string", "ばな", "--order", std::string(kIroha), "--split-voiced"},
                 "iroha.gb",
                 {"4 (4 hex)"},
                 "",
                 0},
        KanaCase{"PunctuationMisses", {"--string", "Hi-Potion!"}, "latin.gb", {}, "", 1},
        KanaCase{"LettersOnly", {"--string", "Hi-Potion!", "--letters-only"}, "latin.gb", {"2 (2 hex)"}, "", 0},
        KanaCase{"Wildcard", {"--string", "Hi-Potion", "--wildcard", "-"}, "latin.gb", {"2 (2 hex)"}, "", 0},
        KanaCase{"OrderRefusesAnUnlistedCharacter",
                 {"--string", "はば", "--order", std::string(kIroha)},
                 "iroha.gb",
                 {},
                 "That is not a valid value! --string character 2 \"ば\" (U+3070): the order does not list it.",
                 2},
        KanaCase{"MissingOrderFile",
                 {"--string", "はな", "--order-file", "@none.txt"},
                 "iroha.gb",
                 {},
                 "Can't open the order file \"@none.txt\": there is no such file.",
                 2},
        KanaCase{"WildcardFirst",
                 {"--string", "-Hi", "--wildcard", "-"},
                 "latin.gb",
                 {},
                 "You can't skip the first value!",
                 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KanaFiles, StringOptionsNeedAStringAndOneWildcardCharacter) {
    const std::vector<std::vector<std::string>> mistakes = {{"--values", "1,2", "--kana", "unicode"},
                                                            {"--values", "1,2", "--split-voiced"},
                                                            {"--string", "ab", "--kana", "shift-jis"},
                                                            {"--string", "ab", "--wildcard", "--"},
                                                            {"--string", "ab", "--order", "ab", "--kana", "unicode"},
                                                            {"--string", "ab", "--order", "ab", "--order-file", "x"}};
    for (std::vector<std::string> args : mistakes) {
        args.push_back(root().string());
        const Outcome run = kinfold(args);
        EXPECT_EQ(run.status, 2) << args[2];
        EXPECT_EQ(run.out, "") << args[2];
        EXPECT_NE(run.err, "") << args[2];
    }
}

}  // namespace
}  // namespace kinfold::cli
