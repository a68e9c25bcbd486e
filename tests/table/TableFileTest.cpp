#include "table/TableFile.h"

#include "search/ScanError.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace kinfold {
namespace {

using testing_support::TempFolder;

TableEntry normal(std::string text) { return {EntryKind::Normal, std::move(text), 0}; }

struct GoldenCase {
    const char* name;
    CodeTable table;
    std::string bytes;
};

CodeTable tableOf(std::initializer_list<std::pair<EntryBytes, TableEntry>> entries) {
    CodeTable table;
    for (const auto& [bytes, entry] : entries) table.set(bytes, entry);
    return table;
}

class TableFileGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(TableFileGolden, WritesTheBytesAndReadsThemBack) {
    const GoldenCase& c = GetParam();
    EXPECT_EQ(tableFileText(c.table), c.bytes);
    const TableFileRead back = parseTableFile(c.bytes);
    ASSERT_TRUE(back.table.has_value()) << back.line << ": " << back.reason;
    EXPECT_EQ(*back.table, c.table);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableFileGolden,
    ::testing::Values(GoldenCase{"Bytes",
                                 tableOf({{{0x80}, normal("\u20AC")},
                                          {{0x41}, normal("A")},
                                          {{0x0A}, normal("\u00E9")},
                                          {{0x20}, normal(" ")},
                                          {{0x05}, normal("[1]")}}),
                                 "05=[1]\n0A=\u00E9\n20= \n41=A\n80=\u20AC\n"},
                      GoldenCase{
                          "EveryKindInByteOrder",
                          tableOf({{{0x81, 0x82}, normal("the")},
                                   {{0x81}, normal("")},
                                   {{0x3D}, normal("=")},
                                   {{0xFF}, {EntryKind::End, "", 0}},
                                   {{0xFE, 0x00}, {EntryKind::End, "[END]", 0}},
                                   {{0xFD}, {EntryKind::LineBreak, "", 0}},
                                   {{0xFC}, {EntryKind::LineBreak, "<br>", 0}},
                                   {{0xF0, 0x01}, {EntryKind::Control, "[color,x]", 2}},
                                   {{0x0A}, normal("a\nb")},
                                   {{1, 2, 3, 4, 5, 6, 7, 8}, normal("eight")}}),
                          "0102030405060708=eight\n0A=a\\nb\n3D==\n81=\n8182=the\n$F001=[color,x],2\n*FC=<br>\n*FD\n"
                          "/FE00=[END]\n/FF\n"},
                      GoldenCase{"Empty", tableOf({}), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableFileText, UnitsWriteInTheirFileByteOrder) {
    CharacterTable little(2, ByteOrder::Little);
    little.set(0x0102, "x");
    little.set(0x0201, "y");
    EXPECT_EQ(tableFileText(little), "0102=y\n0201=x\n");
    CharacterTable big(4, ByteOrder::Big);
    big.set(0xA1B2C3D4, "z");
    EXPECT_EQ(tableFileText(big), "A1B2C3D4=z\n");
}

struct ParseCase {
    const char* name;
    std::string text;
    int line;  // 0: reads, giving `entries` entries
    std::size_t entries;
    std::string reason;
};

class TableFileParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TableFileParse, ReadsOrNamesTheFirstBadLine) {
    const ParseCase& c = GetParam();
    const TableFileRead read = parseTableFile(c.text);
    EXPECT_EQ(read.line, c.line);
    EXPECT_EQ(read.reason, c.reason);
    EXPECT_EQ(read.table.has_value(), c.line == 0);
    if (read.table) {
        EXPECT_EQ(read.table->size(), c.entries);
    }
}

const std::string kNotHex = " is not 2 to 16 hex digits";
const std::string kNoBytes = " has no bytes after it: the hex digits of the bytes it stands for are missing";
const std::string kBadControl = "a control code needs \",N\" after its label, N from 0 to 8 parameter bytes";

INSTANTIATE_TEST_SUITE_P(
    Cases, TableFileParse,
    ::testing::Values(
        ParseCase{"WindowsLinesAndMark",
                  "\xEF\xBB\xBF"
                  "41=A\r\n\r\n4a=J\r\n",
                  0, 2, ""},
        ParseCase{"NoFinalLineEnd", "41=A\n42==", 0, 2, ""}, ParseCase{"LaterLineWins", "41=A\n41=B\n", 0, 1, ""},
        ParseCase{"NamesBookmarksCommentsPassedOver", "@Main\n(8000h)Intro\n# note\n41=A\n", 0, 1, ""},
        ParseCase{"EveryKind", "8182=the\n/FF\n/00=<end>\n*FE\n*FD=\\n\n$F0=[pause],1\n$F1=x,0\n$F2=y,8\n", 0, 8, ""},
        ParseCase{"NoEquals", "41=A\n42\n", 2, 0, "it has no \"=\""},
        ParseCase{"NotHex", "41=A\n\n4G=B\n", 3, 0, "\"4G\"" + kNotHex},
        ParseCase{"OddDigits", "808=x\n", 1, 0, "\"808\" has an odd number of hex digits: each byte takes two"},
        ParseCase{"NineBytes", "010203040506070809=x\n", 1, 0, "\"010203040506070809\"" + kNotHex},
        ParseCase{"NoDigits", "=A\n", 1, 0, "\"\"" + kNotHex}, ParseCase{"Signed", "-1=A\n", 1, 0, "\"-1\"" + kNotHex},
        ParseCase{"EndNotHex", "/FG\n", 1, 0, "\"FG\"" + kNotHex},
        ParseCase{"BreakWithoutBytes", "41=A\n*\n", 2, 0, "\"*\"" + kNoBytes},
        ParseCase{"EndWithoutBytes", "/=<end>\n", 1, 0, "\"/\"" + kNoBytes},
        ParseCase{"ControlWithoutBytes", "$=x,1\n", 1, 0, "\"$\"" + kNoBytes},
        ParseCase{"BadBookmark", "(80h\n", 1, 0, "it has no \"=\""},
        ParseCase{"ControlWithoutCount", "$F0=[pause]\n", 1, 0, kBadControl},
        ParseCase{"ControlWithoutEquals", "$F0\n", 1, 0, "it has no \"=\""},
        ParseCase{"ControlCountTooLarge", "$F0=x,9\n", 1, 0, kBadControl},
        ParseCase{"ControlCountNotANumber", "$F0=x,y\n", 1, 0, kBadControl},
        ParseCase{"NotUtf8", "41=\xFF\n", 1, 0, "its text is not UTF-8"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableFileParse, KeepsEachKindsFields) {
    const TableFileRead read = parseTableFile("*FD=\\n\n$F0=[a,b],3\n/00\n41=x\\ny\r\r\n");
    ASSERT_TRUE(read.table.has_value());
    const CodeTable& t = *read.table;
    EXPECT_EQ(*t.find({0xFD}), (TableEntry{EntryKind::LineBreak, "\n", 0}));
    EXPECT_EQ(*t.find({0xF0}), (TableEntry{EntryKind::Control, "[a,b]", 3}));
    EXPECT_EQ(*t.find({0x00}), (TableEntry{EntryKind::End, "", 0}));
    EXPECT_EQ(*t.find({0x41}), normal("x\ny"));
}

TEST(TableFileParse, QuotesABinaryKeyShortAndReadable) {
    const TableFileRead read = parseTableFile(std::string("\x01\xFF", 2) + std::string(60, 'A') + "=x\n");
    EXPECT_EQ(read.reason, "\"\\x01\\xFF" + std::string(38, 'A') + "...\"" + kNotHex);
}

TEST(TableFileRead, FromDiskAndMissing) {
    TempFolder folder;
    const std::string text = "41=A\n\xE3\x81\x82";  // the second line lacks its "="
    const auto path =
        folder.write("game.tbl", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    const TableFileRead bad = readTableFile(path);
    EXPECT_EQ(bad.line, 2);
    EXPECT_FALSE(bad.table.has_value());
    const TableFileRead missing = readTableFile(folder.path() / "none.tbl");
    EXPECT_EQ(missing.line, 0);
    EXPECT_EQ(missing.reason, kNoSuchFileReason);
}

}  // namespace
}  // namespace kinfold
