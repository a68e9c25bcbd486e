// Reading the script a dump printed, edited.
#include "insert/PointerList.h"
#include "insert/ScriptReader.h"
#include "script/ScriptLine.h"

#include <random>

#include <gtest/gtest.h>

namespace kinfold {
namespace {

struct LineCase {
    const char* name;
    std::string line;
    std::uint64_t offset;
    std::optional<std::uint64_t> pointer;
    std::string text;
    std::size_t column;  // of the text's first character
};

class ScriptLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ScriptLines, ReadAsTheDumpWroteThem) {
    const ScriptRead read = readScript(GetParam().line + "\n");
    ASSERT_TRUE(read.problems.empty()) << read.problems[0].reason;
    ASSERT_EQ(read.entries.size(), 1u);
    const ScriptEntry& e = read.entries[0];
    EXPECT_EQ(e.line, 1);
    EXPECT_EQ(e.offset, GetParam().offset);
    EXPECT_EQ(e.pointer, GetParam().pointer);
    EXPECT_EQ(e.text, GetParam().text);
    EXPECT_EQ(columnOf(e, 0), GetParam().column);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptLines,
    ::testing::Values(LineCase{"Plain", "2 (2 hex)  HELLO", 2, {}, "HELLO", 12},
                      LineCase{"WithPath", "roms/a.gb:10 (A hex)  the END", 10, {}, "the END", 23},
                      LineCase{"PathWithColons", "C:/x:y.gb:10 (A hex)  Hi", 10, {}, "Hi", 23},
                      LineCase{"PointerTable", "a.gb:21168 (52B0 hex) <- 18952 (4A08 hex)  Welcome", 21168, 18952,
                               "Welcome", 44},
                      LineCase{"Escapes", "5 (5 hex)  a\\nb\\\\n\\tc", 5, {}, "a\nb\\n\\tc", 12},
                      LineCase{"EmptyTextWithoutItsSpaces", "5 (5 hex)", 5, {}, "", 10},
                      LineCase{"Json",
                               "{\"path\":\"a.gb\",\"offset\":2,\"length\":6,\"text\":\"A\\nB\\\\\",\"ended\":true}",
                               2,
                               {},
                               "A\nB\\",
                               1},
                      LineCase{"JsonPointer", "{\"offset\":2,\"pointer\":64,\"text\":\"A\"}", 2, 64, "A", 1}),
    [](const auto& info) { return info.param.name; });

TEST(ScriptReader, PassesOverBlanksCommentsAndTheDumpsNotes) {
    const ScriptRead read = readScript(
        "\xEF\xBB\xBF# notes\r\n\r\n   \n"
        "a.gb:- <- 18956 (4A0C hex)  (outside the file: the value 39936 (9C00 hex) is no address in the cartridge)\n"
        "a.gb:300 (12C hex) <- 18958 (4A0E hex)  (no table entry matches here)\n"
        "{\"path\":\"a.gb\",\"offset\":null,\"pointer\":18960,\"outside\":\"outside the file\"}\n"
        "a.gb:6720 (1A40 hex)  Yes\r\n");
    ASSERT_TRUE(read.problems.empty());
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].line, 7);
    EXPECT_EQ(read.entries[0].text, "Yes");
}

struct BadLine {
    const char* name;
    std::string text;
    int line;
    const char* says;
};

class BadScripts : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadScripts, AreRefusedByLine) {
    const ScriptRead read = readScript(GetParam().text);
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_EQ(read.problems[0].line, GetParam().line);
    EXPECT_NE(read.problems[0].reason.find(GetParam().says), std::string::npos) << read.problems[0].reason;
}

INSTANTIATE_TEST_SUITE_P(Table, BadScripts,
                         ::testing::Values(BadLine{"NotAScriptLine", "2 (2 hex)  A\nhello\n", 2, "not a script line"},
                                           BadLine{"OneSpaceOnly", "2 (2 hex) A\n", 1, "not a script line"},
                                           BadLine{"HexDisagrees", "10 (B hex)  A\n", 1, "not the same number"},
                                           BadLine{"TwoFiles", "a.gb:2 (2 hex)  A\nb.gb:3 (3 hex)  B\n", 2,
                                                   "a script goes into one file"},
                                           BadLine{"JsonWithoutText", "{\"offset\":2}\n", 1, "needs \"offset\""},
                                           BadLine{"BrokenJson", "{\"offset\":2,\n", 1, "not a JSON object"}),
                         [](const auto& info) { return info.param.name; });

TEST(PointerList, ReadsPlainAndJsonLines) {
    const PointerListRead read = readPointerList(
        "roms/a.gb:3858 (F12 hex) -> 6720 (1A40 hex)\n\n"
        "{\"path\":\"roms/a.gb\",\"offset\":18952,\"target\":21168,\"value\":21168}\n"
        "junk\n");
    ASSERT_EQ(read.pointers.size(), 2u);
    EXPECT_EQ(read.pointers[0].offset, 3858u);
    EXPECT_EQ(read.pointers[0].target, 6720u);
    EXPECT_EQ(read.pointers[1].line, 3);
    EXPECT_EQ(read.pointers[1].target, 21168u);
    ASSERT_EQ(read.problems.size(), 1u);
    EXPECT_EQ(read.problems[0].line, 4);
}

}  // namespace
}  // namespace kinfold

namespace kinfold {
namespace {

// What the dump writes reads back as the text it decoded, whatever backslashes and line breaks it holds.
TEST(ScriptReader, ReadsBackEveryDumpLine) {
    std::mt19937 random(3);
    const std::vector<std::string> pieces = {"a", "\\", "\n", "\\n", "n", "<$0A>", "\u3042", " "};
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (int k = 0, n = static_cast<int>(random() % 8); k < n; ++k) text += pieces[random() % pieces.size()];
        const ScriptString string{static_cast<std::uint64_t>(round), 1, text, true};
        const ScriptRead read = readScript(scriptLine(string) + "\n");
        ASSERT_EQ(read.entries.size(), 1u) << scriptLine(string);
        EXPECT_EQ(read.entries[0].text, text) << scriptLine(string);
    }
    EXPECT_EQ(scriptLine({5, 1, "a\\b\nc", true}), "5 (5 hex)  a\\\\b\\nc");
}

}  // namespace
}  // namespace kinfold
