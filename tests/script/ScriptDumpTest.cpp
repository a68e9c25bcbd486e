#include "script/ScriptDump.h"

#include "script/RandomTable.h"
#include "script/StringAt.h"
#include "script/StringFinder.h"
#include "search/FileReader.h"
#include "search/ScanError.h"
#include "search/SearchTestSupport.h"
#include "table/TableDecoding.h"
#include "table/TableFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace kinfold {

// A string as a failed check shows it.
void PrintTo(const ScriptString& s, std::ostream* os) {
    *os << s.offset << "+" << s.length << (s.ended ? " ended " : " ") << testing::PrintToString(s.text);
}

namespace {

using testing_support::randomTable;
using testing_support::TempFolder;
using testing_support::testScale;

// The dump rule written plainly: every position, every length from the
// longest down, straight from the table's entries.
std::vector<ScriptString> referenceDump(const CodeTable& table, const std::vector<std::uint8_t>& file,
                                        std::size_t start, std::size_t end, std::uint64_t minLength) {
    const auto entryAt = [&](std::size_t p) -> std::pair<const TableEntry*, std::size_t> {
        for (std::size_t length = std::min(kMaxEntryBytes, end - p); length >= 1; --length) {
            const EntryBytes bytes(file.begin() + static_cast<std::ptrdiff_t>(p),
                                   file.begin() + static_cast<std::ptrdiff_t>(p + length));
            if (const TableEntry* e = table.find(bytes)) return {e, length};
        }
        return {nullptr, 0};
    };
    std::vector<ScriptString> strings;
    std::size_t p = start;
    while (p < end) {
        ScriptString s;
        s.offset = p;
        std::uint64_t characters = 0;
        std::size_t q = p;
        while (q < end) {
            const auto [e, length] = entryAt(q);
            if (e == nullptr || q + length + static_cast<std::size_t>(e->parameters) > end) break;
            if (q == p && e->kind == EntryKind::End) break;
            if (e->kind == EntryKind::Normal) {
                for (const char c : e->text)
                    characters += (c != '\n' && (static_cast<unsigned char>(c) & 0xC0) != 0x80);
            }
            s.text += e->text;
            if (e->kind == EntryKind::LineBreak) s.text += '\n';
            for (int k = 0; k < e->parameters; ++k) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "<$%02X>", file[q + length + static_cast<std::size_t>(k)]);
                s.text += hex;
            }
            q += length + static_cast<std::size_t>(e->parameters);
            if (e->kind == EntryKind::End) {
                s.ended = true;
                break;
            }
        }
        if (q == p) {
            ++p;
            continue;
        }
        s.length = q - p;
        if (characters >= minLength) strings.push_back(s);
        p = q;
    }
    return strings;
}

struct RandomCase {
    const char* name;
    std::size_t blockSize;
    std::uint64_t minLength;
    Isa isa;
    bool singleCharacters = false;  // every text of one code point, which the finder counts by bytes
    bool oneByte = false;           // and of one byte, which it copies through a table of bytes
    unsigned workers = 1;           // several: pieces cut at split points, found at once
    std::uint64_t pieceBytes = std::uint64_t{4} << 20;
};

class DumpAgainstReference : public ::testing::TestWithParam<RandomCase> {};

TEST_P(DumpAgainstReference, RandomTablesAndRanges) {
    const RandomCase& c = GetParam();
    TempFolder folder;
    if (!isaAvailable(c.isa)) GTEST_SKIP() << "this machine has no " << isaName(c.isa);
    std::mt19937 random(static_cast<unsigned>(c.blockSize * 31 + c.minLength));
    for (int round = 0; round < 40 * testScale(); ++round) {
        const CodeTable table = randomTable(random, c.singleCharacters, c.oneByte);
        const TableDecoder decoder(table);
        std::vector<std::uint8_t> file(random() % 3000);
        // Every other round from few byte values, for long strings.
        const unsigned values = round % 2 == 0 ? 13 : 4;
        for (auto& b : file) b = static_cast<std::uint8_t>(random() % values);
        const std::size_t start = file.empty() ? 0 : random() % (file.size() / 2 + 1);
        const std::size_t end = round % 3 == 0 ? file.size() : start + random() % (file.size() - start + 1);
        const auto path = folder.write("rom.bin", file);
        std::vector<ScriptString> got;
        DumpSettings settings{start, end, c.minLength};
        if (round % 3 == 0) settings.end.reset();
        const DumpOutcome outcome = dumpFile(
            path, decoder, settings, [&](ScriptString&& s) { got.push_back(std::move(s)); }, {},
            DumpWork{c.blockSize, c.workers, c.pieceBytes, c.isa});
        ASSERT_EQ(outcome.problem, "");
        EXPECT_EQ(outcome.done, end);
        const std::vector<ScriptString> expected = referenceDump(table, file, start, end, c.minLength);
        ASSERT_EQ(got.size(), expected.size()) << "round " << round << "\n" << tableFileText(table);
        for (std::size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i], expected[i]) << "round " << round << ", string " << i << "\n" << tableFileText(table);
        }
        // As text made by the workers, handed on in order.
        std::string text;
        std::string expectedText;
        for (const ScriptString& s : expected) expectedText += std::to_string(s.offset) + ":" + s.text + "\n";
        const DumpOutcome asText = dumpFileAsText(
            path, decoder, settings,
            [](const ScriptStrings& strings, std::string& lines) {
                for (std::size_t k = 0; k < strings.size(); ++k) {
                    lines += std::to_string(strings[k].offset) + ":" + std::string(strings.text(k)) + "\n";
                }
            },
            [&](std::string& lines) { text += lines; }, {}, DumpWork{c.blockSize, c.workers, c.pieceBytes, c.isa});
        ASSERT_EQ(asText.problem, "");
        ASSERT_EQ(text, expectedText) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpAgainstReference,
    ::testing::Values(RandomCase{"TinyBlocksMinimumOne", 16, 1, Isa::Scalar},
                      RandomCase{"OddBlocksMinimumTwo", 37, 2, Isa::Scalar},
                      RandomCase{"BlocksMinimumFour", 256, 4, Isa::Scalar},
                      RandomCase{"WholeFileMinimumSeven", 1 << 16, 7, Isa::Scalar},
                      RandomCase{"Avx2OddBlocksMinimumOne", 131, 1, Isa::Avx2},
                      RandomCase{"Avx2BlocksMinimumFour", 4096, 4, Isa::Avx2},
                      RandomCase{"SinglesMinimumOne", 64, 1, Isa::Scalar, true},
                      RandomCase{"SinglesMinimumFive", 200, 5, Isa::Scalar, true},
                      RandomCase{"SinglesLongMinimum", 1 << 12, 70, Isa::Scalar, true},
                      RandomCase{"Avx2SinglesMinimumThree", 333, 3, Isa::Avx2, true},
                      RandomCase{"OneByteTextsMinimumOne", 97, 1, Isa::Scalar, true, true},
                      RandomCase{"Avx2OneByteTextsMinimumFour", 1000, 4, Isa::Avx2, true, true},
                      RandomCase{"TwoWorkersPiecesOf64", 37, 1, Isa::Scalar, false, false, 2, 64},
                      RandomCase{"ThreeWorkersSinglesPiecesOf200", 256, 4, Isa::Avx2, true, false, 3, 200},
                      RandomCase{"FourWorkersAPieceAByte", 16, 2, Isa::Scalar, false, false, 4, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct RuleCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    DumpSettings settings;
    std::vector<ScriptString> strings;
};

class DumpRule : public ::testing::TestWithParam<RuleCase> {};

// "HI" as 01 02 with 0102 "Hi!", "Yo" as 03, an end 00, a line break FE, a
// control F0 with two parameters.
TEST_P(DumpRule, Strings) {
    const RuleCase& c = GetParam();
    const TableFileRead read = parseTableFile("01=H\n02=I\n0102=Hi!\n03=Yo\n/00\n*FE\n$F0=[c],2\n");
    ASSERT_TRUE(read.table.has_value());
    TempFolder folder;
    std::vector<ScriptString> got;
    const DumpOutcome outcome = dumpFile(folder.write("rom.bin", c.bytes), TableDecoder(*read.table), c.settings,
                                         [&](ScriptString&& s) { got.push_back(std::move(s)); });
    EXPECT_EQ(outcome.problem, "");
    EXPECT_EQ(got, c.strings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpRule,
    ::testing::Values(
        RuleCase{
            "EndTokenBelongsToTheString", {0x00, 0x01, 0x02, 0x03, 0x00, 0x01}, {0, {}, 4}, {{1, 4, "Hi!Yo", true}}},
        RuleCase{"BreaksAndControlsDontCount", {0x03, 0xFE, 0xF0, 0x07, 0x41, 0x03, 0x09}, {0, {}, 5}, {}},
        RuleCase{"ControlTakesParameters",
                 {0x03, 0xFE, 0xF0, 0x07, 0x41, 0x03, 0x09},
                 {0, {}, 4},
                 {{0, 6, "Yo\n[c]<$07><$41>Yo", false}}},
        RuleCase{"EndOffsetCutsAControl", {0x03, 0x03, 0xF0, 0x07, 0x41}, {0, 4, 4}, {{0, 2, "YoYo", false}}},
        RuleCase{"StartInsideAPair", {0x01, 0x02, 0x01, 0x02, 0x03}, {1, {}, 4}, {{1, 4, "IHi!Yo", false}}},
        RuleCase{
            "ShortStringsSkippedWhole", {0x03, 0x00, 0x01, 0x03, 0x03, 0x00}, {0, {}, 4}, {{2, 4, "HYoYo", true}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StringAt, TheStringWherePointerLeads) {
    const TableFileRead read = parseTableFile("01=H\n02=I\n/00\n*FE\n$F0=[c],2\n");
    const TableDecoder table(*read.table);
    TempFolder folder;
    const std::vector<std::uint8_t> bytes{0xF0, 0x05, 0x06, 0xFE, 0x01, 0x00, 0x02, 0x02};
    FileReader whole;
    ASSERT_TRUE(whole.open(folder.write("rom.bin", bytes)));
    EXPECT_EQ(stringAt(whole, table, 0).string, (ScriptString{0, 6, "[c]<$05><$06>\nH", true}));
    EXPECT_EQ(stringAt(whole, table, 6).string, (ScriptString{6, 2, "II", false}));
    EXPECT_EQ(stringAt(whole, table, 5).string, (ScriptString{5, 1, "", true}));  // an end token alone
    FileReader cut;
    ASSERT_TRUE(cut.open(folder.write("cut.bin", std::span(bytes).first(2))));
    EXPECT_EQ(stringAt(cut, table, 0).string, (ScriptString{0, 0, "", false}));  // its parameters cut off
}

TEST(StringAt, AStringLongerThanTheFinderTakesAtOnce) {
    const TableFileRead read = parseTableFile("00=a\n01=\u3042\n0203=th\n/04\n$05=[c],1\n");
    std::mt19937 random(3);
    // Entries of every kind but the end for 100,000 bytes, then the end.
    std::vector<std::uint8_t> bytes(5, 0x00);
    while (bytes.size() < 100000) {
        const std::vector<std::vector<std::uint8_t>> entries{{0x00}, {0x01}, {0x02, 0x03}, {0x05, 0x04}};
        const auto& entry = entries[random() % entries.size()];
        bytes.insert(bytes.end(), entry.begin(), entry.end());
    }
    const std::size_t endAt = bytes.size();
    bytes.insert(bytes.end(), {0x04, 0x00, 0x00, 0x00, 0x00, 0x00});
    const std::vector<ScriptString> reference = referenceDump(*read.table, bytes, 3, bytes.size(), 0);
    ASSERT_FALSE(reference.empty());
    ASSERT_EQ(reference.front().length, endAt + 1 - 3);
    TempFolder folder;
    FileReader reader;
    ASSERT_TRUE(reader.open(folder.write("rom.bin", bytes)));
    EXPECT_EQ(stringAt(reader, TableDecoder(*read.table), 3).string, reference.front());
}

TEST(DumpFile, AFileThatShrinksUnderWorkersKeepsTheStringsBefore) {
    // Nine A's after every byte that matches nothing. Pieces of 64 are cut at the next 00: [0, 70), [71, 130),
    // [131, 200), [201, 260), [261, 320)... The file is cut to 300 bytes when the first is handed on, before
    // the fifth is taken: its first block of 32 goes through to 278, its second can't be read.
    std::vector<std::uint8_t> bytes(4096, 0x41);
    for (std::size_t k = 0; k < bytes.size(); k += 10) bytes[k] = 0x00;
    TempFolder folder;
    const auto path = folder.write("rom.bin", bytes);
    const TableFileRead read = parseTableFile("41=A\n");
    std::vector<ScriptString> got;
    const DumpOutcome outcome = dumpFile(
        path, TableDecoder(*read.table), {0, {}, 4}, [&](ScriptString&& s) { got.push_back(std::move(s)); },
        [&](std::uint64_t) {
            std::filesystem::resize_file(path, 300);
            return true;
        },
        DumpWork{32, 2, 64});
    const std::string named = "Can't read the ROM file \"" + path.string() + "\": ";
    EXPECT_EQ(outcome.problem.substr(0, named.size()), named);
    EXPECT_TRUE(outcome.problem.ends_with(". The search stopped at offset 278.")) << outcome.problem;
    EXPECT_EQ(outcome.done, 278u);
    // Every string ended before where it stopped (at the next 00), the one at 261 too, and none after.
    std::vector<ScriptString> before;
    for (std::uint64_t at = 1; at + 10 <= outcome.done; at += 10) before.push_back({at, 9, "AAAAAAAAA", false});
    EXPECT_EQ(got, before);
}

TEST(DumpFile, RefusesAStartPastTheEndAndStops) {
    TempFolder folder;
    const auto path = folder.write("rom.bin", std::vector<std::uint8_t>(100, 0x41));
    const TableFileRead read = parseTableFile("41=A\n");
    const TableDecoder table(*read.table);
    const ScriptSink none = [](ScriptString&&) {};
    EXPECT_EQ(
        dumpFile(path, table, {101, {}, 4}, none).problem,
        "Can't dump the file \"" + path.string() + "\": the start offset 101 (65 hex) is past its end (100 bytes).");
    EXPECT_EQ(dumpFile(path, table, {50, 40, 4}, none).problem,
              "Can't dump the file \"" + path.string() +
                  "\": the start offset 50 (32 hex) is past the end offset 40 (28 hex).");
    EXPECT_EQ(dumpFile(folder.path() / "none.bin", table, {}, none).problem,
              "Can't open the ROM file \"" + (folder.path() / "none.bin").string() + "\": " + kNoSuchFileReason + ".");
    std::vector<std::uint64_t> progress;
    const DumpOutcome stopped = dumpFile(
        path, table, {}, none,
        [&](std::uint64_t done) {
            progress.push_back(done);
            return false;
        },
        DumpWork{32});
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(progress, std::vector<std::uint64_t>{17});  // 32 read, 15 kept back for the next block

    // Pieces: every tenth byte matches nothing, so the cut at 16 splits at 20 and the next piece starts at 21.
    std::vector<std::uint8_t> spaced(100, 0x41);
    for (std::size_t k = 0; k < spaced.size(); k += 10) spaced[k] = 0x00;
    progress.clear();
    const DumpOutcome stoppedInPieces = dumpFile(
        folder.write("spaced.bin", spaced), table, {}, none,
        [&](std::uint64_t done) {
            progress.push_back(done);
            return false;
        },
        DumpWork{32, 2, 16});
    EXPECT_TRUE(stoppedInPieces.stopped);
    EXPECT_EQ(stoppedInPieces.done, 21u);
    EXPECT_EQ(progress, std::vector<std::uint64_t>{21});
}

}  // namespace
}  // namespace kinfold
