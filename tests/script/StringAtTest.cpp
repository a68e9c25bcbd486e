#include "script/StringAt.h"

#include "script/RandomTable.h"
#include "script/ScriptDump.h"
#include "script/StringFinder.h"
#include "search/FileReader.h"
#include "search/SearchTestSupport.h"
#include "table/TableDecoding.h"
#include "table/TableFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kinfold {
namespace {

using testing_support::randomTable;
using testing_support::TempFolder;
using testing_support::testScale;

struct BlockCase {
    const char* name;
    std::size_t blockSize;
    bool singleCharacters;
};

class StringAtAgainstDump : public ::testing::TestWithParam<BlockCase> {};

// Every string the dump finds (at the shortest minimum, so that it finds the
// most) is the string at its offset, whatever the blocks it is read in.
TEST_P(StringAtAgainstDump, EveryDumpedStringIsTheStringAtItsOffset) {
    const BlockCase& c = GetParam();
    TempFolder folder;
    std::mt19937 random(static_cast<unsigned>(c.blockSize));
    std::size_t checked = 0;
    for (int round = 0; round < 30 * testScale(); ++round) {
        const CodeTable table = randomTable(random, c.singleCharacters);
        const TableDecoder decoder(table);
        std::vector<std::uint8_t> file(random() % 2000);
        const unsigned values = round % 2 == 0 ? 13 : 4;
        for (auto& b : file) b = static_cast<std::uint8_t>(random() % values);
        const auto path = folder.write("rom.bin", file);
        std::vector<ScriptString> dumped;
        ASSERT_EQ(
            dumpFile(path, decoder, {0, {}, 1}, [&](ScriptString&& s) { dumped.push_back(std::move(s)); }).problem, "");
        FileReader reader;
        ASSERT_TRUE(reader.open(path));
        for (const ScriptString& s : dumped) {
            const StringAtRead read = stringAt(reader, decoder, s.offset, c.blockSize);
            ASSERT_EQ(read.reason, "");
            ASSERT_EQ(read.string, s) << "round " << round << "\n" << tableFileText(table);
        }
        checked += dumped.size();
    }
    EXPECT_GT(checked, 100u);
}

INSTANTIATE_TEST_SUITE_P(Cases, StringAtAgainstDump,
                         ::testing::Values(BlockCase{"SmallestBlocks", 1, false}, BlockCase{"OddBlocks", 37, false},
                                           BlockCase{"WholeFile", 4096, false},
                                           BlockCase{"SinglesOddBlocks", 23, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The finder's first string over bytes, when it starts at bytes[0]: the dump
// rule kept to one string, of any length.
std::optional<ScriptString> referenceStringAt(const TableDecoder& table, std::span<const std::uint8_t> bytes,
                                              std::uint64_t offset) {
    StringFinder finder(table, 0);
    std::optional<ScriptString> first;
    finder.feed(bytes, offset, true, [&](ScriptString&& string) {
        if (!first && string.offset == offset) first = std::move(string);
    });
    return first;
}

// The file's string at an offset is the one the finder gives over the bytes
// from there to the end of the file, where the finder gives one; elsewhere
// it is empty: no entry there, or an end token alone.
TEST(StringAt, AgreesWithTheFinderOverTheBytesInMemory) {
    TempFolder folder;
    std::mt19937 random(7);
    for (int round = 0; round < 30 * testScale(); ++round) {
        const CodeTable table = randomTable(random, round % 2 == 0);
        const TableDecoder decoder(table);
        std::vector<std::uint8_t> file(1 + random() % 600);
        for (auto& b : file) b = static_cast<std::uint8_t>(random() % 13);
        FileReader reader;
        ASSERT_TRUE(reader.open(folder.write("rom.bin", file)));
        for (int i = 0; i < 20; ++i) {
            const std::size_t offset = random() % file.size();
            const std::optional<ScriptString> inMemory =
                referenceStringAt(decoder, std::span(file).subspan(offset), offset);
            const StringAtRead read = stringAt(reader, decoder, offset, 1 + random() % 64);
            ASSERT_EQ(read.reason, "");
            if (inMemory) {
                ASSERT_EQ(read.string, *inMemory) << "round " << round << "\n" << tableFileText(table);
            } else {
                EXPECT_TRUE(read.string.length == 0 || read.string.ended) << "round " << round;
            }
        }
    }
}

struct EdgeCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint64_t offset;
    ScriptString string;
};

class StringAtEdges : public ::testing::TestWithParam<EdgeCase> {};

// 01 "A", 0102 "AB!", an end 00, a control F0 with two parameters.
TEST_P(StringAtEdges, WhereTheDumpFindsNone) {
    const EdgeCase& c = GetParam();
    const TableFileRead table = parseTableFile("01=A\n0102=AB!\n/00\n$F0=[c],2\n");
    ASSERT_TRUE(table.table.has_value());
    TempFolder folder;
    FileReader reader;
    ASSERT_TRUE(reader.open(folder.write("rom.bin", c.bytes)));
    const StringAtRead read = stringAt(reader, TableDecoder(*table.table), c.offset, 1);
    EXPECT_EQ(read.reason, "");
    EXPECT_EQ(read.string, c.string);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StringAtEdges,
    ::testing::Values(EdgeCase{"EndTokenFirstIsAnEmptyString", {0x01, 0x00, 0x01}, 1, {1, 1, "", true}},
                      EdgeCase{"NoEntryIsAnEmptyStringOfNoBytes", {0x01, 0x07, 0x01}, 1, {1, 0, "", false}},
                      EdgeCase{"LastByteOfTheFile", {0x07, 0x01}, 1, {1, 1, "A", false}},
                      EdgeCase{"PairAcrossBlocks", {0x01, 0x01, 0x02, 0x00}, 1, {1, 3, "AB!", true}},
                      EdgeCase{"ControlCutByTheEndOfTheFile", {0x01, 0xF0, 0x05}, 0, {0, 1, "A", false}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold
