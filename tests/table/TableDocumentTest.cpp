// A table file opened, edited and saved again: golden bytes of a hand-written
// table with every kind of line, in each encoding a table is read in.
#include "table/TableDocument.h"
#include "table/TableFile.h"

#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kinfold {
namespace {

using testing_support::TempFolder;

std::string utf16(std::u16string_view text, bool big, bool mark = true) {
    std::string bytes;
    const std::u16string all = mark ? u"\uFEFF" + std::u16string(text) : std::u16string(text);
    for (const char16_t unit : all) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += big ? high : low;
        bytes += big ? low : high;
    }
    return bytes;
}

// The hand-written table: a comment, a name, a bookmark, a blank line, every
// kind of entry, two kana (ソ is 83 5C in Shift JIS: a backslash byte) and a
// later line for 41 that wins, with a line end of its own.
const std::string kWritten =
    "# Adventure\r\n@quest\r\n(4000h)Intro\r\n\r\n41=A\r\n8182=the\r\n$F0=<color>,1\r\n*FE\r\n/FF\r\n"
    "80=\u3042\r\n81=\u30BD\r\n41=a\n";
// After 41 became "Z", 8182 went and 90=ン came.
const std::string kEdited =
    "# Adventure\r\n@quest\r\n(4000h)Intro\r\n\r\n41=A\r\n$F0=<color>,1\r\n*FE\r\n/FF\r\n"
    "80=\u3042\r\n81=\u30BD\r\n41=Z\n90=\u30F3\r\n";
const std::u16string kWritten16 =
    u"# Adventure\r\n@quest\r\n(4000h)Intro\r\n\r\n41=A\r\n8182=the\r\n$F0=<color>,1\r\n*FE\r\n/FF\r\n"
    u"80=\u3042\r\n81=\u30BD\r\n41=a\n";
const std::u16string kEdited16 =
    u"# Adventure\r\n@quest\r\n(4000h)Intro\r\n\r\n41=A\r\n$F0=<color>,1\r\n*FE\r\n/FF\r\n"
    u"80=\u3042\r\n81=\u30BD\r\n41=Z\n90=\u30F3\r\n";
const std::string kWrittenShiftJis =
    "# Adventure\r\n@quest\r\n(4000h)Intro\r\n\r\n41=A\r\n8182=the\r\n$F0=<color>,1\r\n*FE\r\n/FF\r\n"
    "80=\x82\xA0\r\n81=\x83\x5C\r\n41=a\n";
const std::string kEditedShiftJis =
    "# Adventure\r\n@quest\r\n(4000h)Intro\r\n\r\n41=A\r\n$F0=<color>,1\r\n*FE\r\n/FF\r\n"
    "80=\x82\xA0\r\n81=\x83\x5C\r\n41=Z\n90=\x83\x93\r\n";

TableEntry normal(std::string text) { return {EntryKind::Normal, std::move(text), 0}; }

CodeTable writtenTable() {
    CodeTable table;
    table.set({0x41}, normal("a"));
    table.set({0x81, 0x82}, normal("the"));
    table.set({0xF0}, {EntryKind::Control, "<color>", 1});
    table.set({0xFE}, {EntryKind::LineBreak, "", 0});
    table.set({0xFF}, {EntryKind::End, "", 0});
    table.set({0x80}, normal("\u3042"));
    table.set({0x81}, normal("\u30BD"));
    return table;
}

CodeTable editedTable() {
    CodeTable table = writtenTable();
    table.set({0x41}, normal("Z"));
    table.erase({0x81, 0x82});
    table.set({0x90}, normal("\u30F3"));
    return table;
}

struct RoundTripCase {
    const char* name;
    std::string written;
    std::string edited;
    TableEncoding encoding;
    bool mark;
};

class TableRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(TableRoundTrip, SavesAsWrittenWithOnlyTheEdits) {
    const RoundTripCase& c = GetParam();
    const TableDocumentRead read = TableDocument::parse(c.written);
    ASSERT_TRUE(read.document.has_value()) << read.line << ": " << read.reason;
    const TableDocument& document = *read.document;
    EXPECT_EQ(document.encoding(), c.encoding);
    EXPECT_EQ(document.hasByteOrderMark(), c.mark);
    EXPECT_EQ(document.table(), writtenTable());
    EXPECT_EQ(document.savedBytes(document.table()).bytes, c.written);
    const TableSave saved = document.savedBytes(editedTable());
    ASSERT_TRUE(saved.bytes.has_value()) << saved.reason;
    EXPECT_EQ(*saved.bytes, c.edited);
    const TableFileRead again = parseTableFile(*saved.bytes);
    ASSERT_TRUE(again.table.has_value()) << again.line << ": " << again.reason;
    EXPECT_EQ(*again.table, editedTable());
    EXPECT_EQ(again.encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(Encodings, TableRoundTrip,
                         ::testing::Values(RoundTripCase{"Utf8", kWritten, kEdited, TableEncoding::Utf8, false},
                                           RoundTripCase{"Utf8WithMark", "\xEF\xBB\xBF" + kWritten,
                                                         "\xEF\xBB\xBF" + kEdited, TableEncoding::Utf8, true},
                                           RoundTripCase{"Utf16Little", utf16(kWritten16, false),
                                                         utf16(kEdited16, false), TableEncoding::Utf16Little, true},
                                           RoundTripCase{"Utf16Big", utf16(kWritten16, true), utf16(kEdited16, true),
                                                         TableEncoding::Utf16Big, true},
                                           RoundTripCase{"ShiftJis", kWrittenShiftJis, kEditedShiftJis,
                                                         TableEncoding::ShiftJis, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct EditCase {
    const char* name;
    std::string written;
    std::function<void(CodeTable&)> edit;
    std::string saved;
};

class TableEdits : public ::testing::TestWithParam<EditCase> {};

TEST_P(TableEdits, LandOnTheirLines) {
    const EditCase& c = GetParam();
    const TableDocumentRead read = TableDocument::parse(c.written);
    ASSERT_TRUE(read.document.has_value()) << read.line << ": " << read.reason;
    CodeTable edited = read.document->table();
    c.edit(edited);
    EXPECT_EQ(read.document->savedBytes(edited).bytes, c.saved);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableEdits,
    ::testing::Values(
        EditCase{"RemovingTakesTheShadowedLinesToo", "41=A\n# x\n41=B\n42=C\n", [](CodeTable& t) { t.erase({0x41}); },
                 "# x\n42=C\n"},
        EditCase{"NoFinalLineEndStaysSo", "41=A", [](CodeTable& t) { t.set({0x42}, normal("B")); }, "41=A\n42=B"},
        EditCase{"LastLineEndedByACrAlone", "41=A\r", [](CodeTable& t) { t.set({0x42}, normal("B")); }, "41=A\r\n42=B"},
        EditCase{"NewEntriesInByteOrderAtTheEnd", "50=P\r\n",
                 [](CodeTable& t) {
                     t.set({0x42}, normal("B"));
                     t.set({0x41}, normal("a\nb"));
                 },
                 "50=P\r\n41=a\\nb\r\n42=B\r\n"},
        EditCase{"EditedKindRewritesTheLine", "ff=x\r\r\n",
                 [](CodeTable& t) {
                     t.set({0xFF}, {EntryKind::End, "", 0});
                 },
                 "/FF\r\r\n"},
        EditCase{"UntouchedLinesKeepTheirSpelling", "4a=J\n41=A\n", [](CodeTable& t) { t.set({0x41}, normal("B")); },
                 "4a=J\n41=B\n"},
        // ED40 and FA5C are one character in code page 932: a line left alone keeps its bytes.
        EditCase{"ShiftJisDuplicatesKept", "82=\xED\x40\n83=\x82\xA0\n",
                 [](CodeTable& t) { t.set({0x83}, normal("\u3044")); }, "82=\xED\x40\n83=\x82\xA2\n"},
        EditCase{"EmptyFileTakesNewEntries", "", [](CodeTable& t) { t.set({0x41}, normal("A")); }, "41=A\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableDocument, RefusesACharacterTheEncodingLacks) {
    const TableDocumentRead read = TableDocument::parse(kWrittenShiftJis);
    ASSERT_TRUE(read.document.has_value());
    CodeTable edited = read.document->table();
    edited.set({0x41}, normal("caf\u00E9"));
    const TableSave saved = read.document->savedBytes(edited);
    EXPECT_FALSE(saved.bytes.has_value());
    EXPECT_EQ(saved.reason, "\"\u00E9\" (U+00E9) can't be written in Shift JIS, the encoding the table was read in");
}

struct BadEncodingCase {
    const char* name;
    std::string bytes;
    int line;
    std::string reason;
};

class TableBadEncoding : public ::testing::TestWithParam<BadEncodingCase> {};

TEST_P(TableBadEncoding, NamesTheLine) {
    const TableFileRead read = parseTableFile(GetParam().bytes);
    EXPECT_FALSE(read.table.has_value());
    EXPECT_EQ(read.line, GetParam().line);
    EXPECT_EQ(read.reason, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Cases, TableBadEncoding,
                         ::testing::Values(BadEncodingCase{"Utf16OddByteAtTheEnd", utf16(u"41=A\n42=B", false) + "x", 2,
                                                           "it is not valid UTF-16 little-endian"},
                                           BadEncodingCase{"Utf16LoneSurrogate", utf16(u"41=A\n42=\xD800\n", true), 2,
                                                           "it is not valid UTF-16 big-endian"},
                                           // 0xE9 then a line end: neither UTF-8 nor Shift JIS.
                                           BadEncodingCase{"NeitherUtf8NorShiftJis", "41=A\n42=caf\xE9\n", 2,
                                                           "its text is not UTF-8"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TableDocument, ReadsFromDisk) {
    TempFolder folder;
    const auto path = folder.write(
        "game.tbl", std::span(reinterpret_cast<const std::uint8_t*>(kWrittenShiftJis.data()), kWrittenShiftJis.size()));
    const TableFileRead read = readTableFile(path);
    ASSERT_TRUE(read.table.has_value()) << read.reason;
    EXPECT_EQ(read.encoding, TableEncoding::ShiftJis);
    EXPECT_EQ(encodingName(read.encoding), "Shift JIS");
    EXPECT_EQ(*read.table, writtenTable());
}

}  // namespace
}  // namespace kinfold
