// The encoder against a plain reference that tries every covering.
#include "insert/RomString.h"
#include "insert/TextEncoder.h"
#include "script/RandomTable.h"
#include "script/StringAt.h"
#include "search/FileReader.h"
#include "search/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace kinfold {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Covering {
    std::vector<std::pair<std::size_t, Bytes>> steps;  // (text covered, bytes) from the start
    std::size_t bytes = 0;
    bool ended = false;
};

std::optional<std::uint8_t> raw(std::string_view text, std::size_t at) { return rawByteAt(text, at); }

// Every covering of text[at..], written out plainly from the table's entries.
void coverings(const CodeTable& table, std::string_view text, std::size_t at, Covering& so,
               std::vector<Covering>& all) {
    if (at == text.size()) {
        all.push_back(so);
        return;
    }
    const auto go = [&](std::size_t length, Bytes bytes, bool end) {
        so.steps.emplace_back(length, bytes);
        so.bytes += bytes.size();
        so.ended = end;
        coverings(table, text, at + length, so, all);
        so.steps.pop_back();
        so.bytes -= bytes.size();
        so.ended = false;
    };
    const std::string_view rest = text.substr(at);
    for (const auto& [code, entry] : table.entries()) {
        switch (entry.kind) {
        case EntryKind::Normal:
            if (!entry.text.empty() && rest.starts_with(entry.text)) go(entry.text.size(), code, false);
            break;
        case EntryKind::End:
            if (!entry.text.empty() && rest == entry.text) go(entry.text.size(), code, true);
            break;
        case EntryKind::LineBreak:
            if (rest.starts_with(entry.text + "\n")) go(entry.text.size() + 1, code, false);
            break;
        case EntryKind::Control: {
            if (!rest.starts_with(entry.text) || (entry.text.empty() && entry.parameters == 0)) break;
            Bytes bytes = code;
            std::size_t length = entry.text.size();
            bool whole = true;
            for (int k = 0; k < entry.parameters && whole; ++k, length += 5) {
                const auto b = raw(rest, length);
                whole = b.has_value();
                if (whole) bytes.push_back(*b);
            }
            if (whole) go(length, bytes, false);
            break;
        }
        }
    }
    if (const auto b = raw(rest, 0)) go(5, {*b}, false);
}

// The fewest bytes; then, step by step from the start, the longest text, then the lowest bytes.
std::optional<Covering> referenceEncode(const CodeTable& table, std::string_view text) {
    std::vector<Covering> all;
    Covering so;
    coverings(table, text, 0, so, all);
    if (all.empty()) return std::nullopt;
    const auto better = [](const Covering& a, const Covering& b) {
        if (a.bytes != b.bytes) return a.bytes < b.bytes;
        for (std::size_t k = 0; k < std::min(a.steps.size(), b.steps.size()); ++k) {
            if (a.steps[k].first != b.steps[k].first) return a.steps[k].first > b.steps[k].first;
            if (a.steps[k].second != b.steps[k].second) return a.steps[k].second < b.steps[k].second;
        }
        return false;
    };
    return *std::min_element(all.begin(), all.end(), better);
}

// A text made of pieces the table covers, and now and then one it may not.
std::string randomText(const CodeTable& table, std::mt19937& random) {
    std::vector<std::string> pieces = {"a", "\u00E9", "\n", "<$0B>", "<$F1>", "?", "<$", "[c]"};
    for (const auto& [code, entry] : table.entries()) {
        std::string piece = entry.text;
        if (entry.kind == EntryKind::LineBreak) piece += '\n';
        if (entry.kind == EntryKind::Control) {
            for (int k = 0; k < entry.parameters; ++k) piece += "<$0" + std::to_string(k) + ">";
        }
        pieces.push_back(piece);
    }
    std::string text;
    for (int k = 0, n = static_cast<int>(random() % 6); k < n; ++k) text += pieces[random() % pieces.size()];
    return text;
}

TEST(Encoder, FastAgreesWithEveryCovering) {
    std::mt19937 random(2600);
    int encoded = 0;
    for (int round = 0; round < 1500; ++round) {
        const CodeTable table = testing_support::randomTable(random, round % 2 == 0);
        const TextEncoder encoder(table);
        for (int t = 0; t < 8; ++t) {
            const std::string text = randomText(table, random);
            EncodedText fast;
            const auto failure = encoder.encode(text, fast);
            const std::optional<Covering> plain = referenceEncode(table, text);
            ASSERT_EQ(!failure, plain.has_value()) << round << " \"" << text << "\"";
            if (!plain) continue;
            Bytes bytes;
            for (const auto& step : plain->steps) bytes.insert(bytes.end(), step.second.begin(), step.second.end());
            ASSERT_EQ(fast.bytes, bytes) << round << " \"" << text << "\"";
            ASSERT_EQ(fast.ended, plain->ended) << round << " \"" << text << "\"";
            ++encoded;
        }
    }
    EXPECT_GT(encoded, 5000);
}

CodeTable gameTable() {
    CodeTable table;
    for (int c = 0; c < 26; ++c)
        table.set({static_cast<std::uint8_t>(0x80 + c)},
                  {EntryKind::Normal, std::string(1, static_cast<char>('A' + c)), 0});
    table.set({0x7F}, {EntryKind::Normal, " ", 0});
    table.set({0xD0}, {EntryKind::Normal, "THE ", 0});
    table.set({0xE0, 0x01}, {EntryKind::Normal, "ING", 0});
    table.set({0x00}, {EntryKind::End, "", 0});
    table.set({0xFF}, {EntryKind::End, "[END]", 0});
    table.set({0xFE}, {EntryKind::LineBreak, "", 0});
    table.set({0xF0}, {EntryKind::Control, "[wait]", 1});
    return table;
}

struct EncodeCase {
    const char* name;
    std::string text;
    Bytes bytes;
    bool ended;
};

class Encodes : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encodes, ToTheFewestBytes) {
    EncodedText out;
    ASSERT_FALSE(TextEncoder(gameTable()).encode(GetParam().text, out));
    EXPECT_EQ(out.bytes, GetParam().bytes);
    EXPECT_EQ(out.ended, GetParam().ended);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Encodes,
    ::testing::Values(EncodeCase{"DteWhereItSaves", "THE KING", {0xD0, 0x8A, 0xE0, 0x01}, false},
                      EncodeCase{"LineBreakAndControl", "A\n[wait]<$3C>", {0x80, 0xFE, 0xF0, 0x3C}, false},
                      EncodeCase{"RawByte", "<$12>A", {0x12, 0x80}, false},
                      EncodeCase{"EndTokenAtTheEnd", "A[END]", {0x80, 0xFF}, true}, EncodeCase{"Empty", "", {}, false}),
    [](const auto& info) { return info.param.name; });

struct FailCase {
    const char* name;
    std::string text;
    EncodeFailure::Kind kind;
    std::size_t at;
    std::string says;
};

class Refuses : public ::testing::TestWithParam<FailCase> {};

TEST_P(Refuses, NamingWhereAndWhat) {
    EncodedText out;
    const auto failure = TextEncoder(gameTable()).encode(GetParam().text, out);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->kind, GetParam().kind);
    EXPECT_EQ(failure->at, GetParam().at);
    EXPECT_EQ(failure->text, GetParam().says);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refuses,
    ::testing::Values(FailCase{"CharacterNotInTable", "AB\u00E9C", EncodeFailure::Kind::NoEntry, 2, "\u00E9"},
                      FailCase{"ControlWithoutItsParameter", "A[wait]B", EncodeFailure::Kind::FewParameters, 1,
                               "[wait]"},
                      FailCase{"EndTokenInside", "A[END]B", EncodeFailure::Kind::EndInside, 1, "[END]"},
                      FailCase{"BadRawByte", "<$G1>", EncodeFailure::Kind::NoEntry, 0, "<"}),
    [](const auto& info) { return info.param.name; });

TEST(RomString, ReadsAsStringAtDoes) {
    std::mt19937 random(7);
    testing_support::TempFolder folder;
    for (int round = 0; round < 200; ++round) {
        const CodeTable table = testing_support::randomTable(random, round % 2 == 0);
        const TableDecoder decoder(table);
        Bytes rom(300);
        for (auto& b : rom) b = static_cast<std::uint8_t>(random() % 12);
        const auto path = folder.path() / "rom.bin";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(rom.data()), static_cast<std::streamsize>(rom.size()));
        FileReader reader;
        ASSERT_TRUE(reader.open(path));
        for (std::uint64_t offset = 0; offset < rom.size(); offset += 7) {
            const RomString mine = romStringAt(rom, decoder, offset);
            const StringAtRead theirs = stringAt(reader, decoder, offset, 16);
            ASSERT_EQ(mine.length, theirs.string.length) << round << " " << offset;
            ASSERT_EQ(mine.text, theirs.string.text);
            ASSERT_EQ(mine.ended, theirs.string.ended);
        }
    }
}

}  // namespace
}  // namespace kinfold
