#include "files/ValuesFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kinfold {
namespace {

using Entries = std::vector<StoredEntry>;
using Result = std::variant<Entries, ValuesFileError>;

std::string show(const Entries& entries) {
    std::string s = std::to_string(entries.size()) + " entries:";
    for (const StoredEntry& e : entries) {
        s += " (" + std::to_string(e.value) + "," + std::to_string(e.difference) + "," + std::to_string(e.direction) +
             ")";
    }
    return s;
}

std::string show(const Result& r) {
    if (const auto* e = std::get_if<ValuesFileError>(&r)) return "error " + e->describe();
    return show(std::get<Entries>(r));
}

// ---------------------------------------------------------------------------
// Writing

// A step of building the pattern that is written.
struct Step {
    enum Kind { Value, Skip, Delete, Clear, Load } kind;
    int value = 0;
    Entries loaded;
};
Step V(int v) { return {Step::Value, v, {}}; }
Step S() { return {Step::Skip, 0, {}}; }
Step D() { return {Step::Delete, 0, {}}; }
Step C() { return {Step::Clear, 0, {}}; }
Step L(Entries e) { return {Step::Load, 0, std::move(e)}; }

SearchPattern build(const std::vector<Step>& steps) {
    SearchPattern p;
    for (const Step& s : steps) {
        switch (s.kind) {
        case Step::Value:
            EXPECT_EQ(p.appendValue(static_cast<std::int16_t>(s.value)), SearchPattern::AppendResult::Added);
            break;
        case Step::Skip: EXPECT_TRUE(p.appendSkipped()); break;
        case Step::Delete: EXPECT_TRUE(p.removeLast()); break;
        case Step::Clear: p.clear(); break;
        case Step::Load: p.replace(s.loaded); break;
        }
    }
    return p;
}

struct WriteCase {
    const char* name;
    std::vector<Step> steps;
    std::string bytes;
};

class ValuesFileWriting : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ValuesFileWriting, GivesTheExactBytes) { EXPECT_EQ(writeValuesFile(build(GetParam().steps)), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    Table, ValuesFileWriting,
    ::testing::Values(
        WriteCase{"ThreeValues", {V(10), V(15), V(12)}, "3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n"},
        WriteCase{"SkippedEntry", {V(10), S(), V(14)}, "3\r\n10,0,0\r\n10,0,0\r\n14,4,1\r\n"},
        WriteCase{"Empty", {}, "0\r\n"}, WriteCase{"OneValue", {V(-1)}, "1\r\n-1,0,0\r\n"},
        WriteCase{"Extremes", {V(-32768), V(-1), V(32766)}, "3\r\n-32768,0,0\r\n-1,32767,1\r\n32766,32767,1\r\n"},
        WriteCase{"EqualValues", {V(0), V(0)}, "2\r\n0,0,0\r\n0,0,0\r\n"},
        WriteCase{"DeletedEntryIsGone", {V(1), V(2), V(3), D()}, "2\r\n1,0,0\r\n2,1,1\r\n"},
        WriteCase{"LoadedOddNumbers", {L({{5, -3, 7}, {-200, 32767, -32768}})}, "2\r\n5,-3,7\r\n-200,32767,-32768\r\n"},
        // The first entry's slots keep what they last held; the file says so.
        WriteCase{"FirstSlotsKeepOldNumbers", {L({{5, 9, 7}}), C(), V(3)}, "1\r\n3,9,7\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValuesFile, WorkedExampleIsTwentyEightBytes) {
    EXPECT_EQ(writeValuesFile(build({V(10), V(15), V(12)})).size(), 28u);
}

// A plain reference writer built on a string stream.
std::string referenceWrite(const SearchPattern& p) {
    std::ostringstream s;
    s << p.count() << "\r\n";
    for (int i = 1; i <= p.count(); ++i) {
        s << p.value(i) << ',' << p.difference(i) << ',' << p.direction(i) << "\r\n";
    }
    return s.str();
}

// A pattern of up to 1000 entries made with every way of adding entries.
SearchPattern randomPattern(std::mt19937& rng, int size) {
    std::uniform_int_distribution<int> anyValue(-32768, 32767);
    std::uniform_int_distribution<int> kind(0, 9);
    SearchPattern p;
    if (kind(rng) < 3) {
        Entries loaded;
        for (int i = 0; i < size; ++i) {
            loaded.push_back({static_cast<std::int16_t>(anyValue(rng)), static_cast<std::int16_t>(anyValue(rng)),
                              static_cast<std::int16_t>(anyValue(rng))});
        }
        p.replace(loaded);
        return p;
    }
    while (p.count() < size) {
        const int k = kind(rng);
        if (k == 0 && !p.empty()) {
            p.appendSkipped();
        } else if (k == 1 && !p.empty()) {
            p.removeLast();
        } else {
            const int previous = p.empty() ? 0 : p.value(p.count());
            std::uniform_int_distribution<int> near(-300, 300);
            const int v = k < 5 ? anyValue(rng) : std::clamp(previous + near(rng), -32768, 32767);
            p.appendValue(static_cast<std::int16_t>(v));  // a step that does not fit is refused
        }
    }
    return p;
}

TEST(ValuesFile, WriterAgreesWithThePlainReference) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> size(0, 1000);
    for (int i = 0; i < 200; ++i) {
        const SearchPattern p = randomPattern(rng, size(rng));
        ASSERT_EQ(writeValuesFile(p), referenceWrite(p));
    }
}

// ---------------------------------------------------------------------------
// Round trips

Entries storedEntries(const SearchPattern& p) {
    Entries out;
    for (int i = 1; i <= p.count(); ++i) out.push_back(p.stored(i));
    return out;
}

TEST(ValuesFile, ThousandEntriesOfEveryKindRoundTrip) {
    SearchPattern p;
    // Entries from replace() with odd directions and negative steps...
    Entries loaded;
    for (int i = 0; i < 300; ++i) {
        loaded.push_back({static_cast<std::int16_t>(i * 97 - 15000), static_cast<std::int16_t>(-i * 50),
                          static_cast<std::int16_t>(i % 2 == 0 ? 7 : -32768 + i)});
    }
    p.replace(loaded);
    // ...then values and skipped entries added by hand up to the limit.
    int v = 0;
    while (!p.full()) {
        if (p.count() % 5 == 0) {
            ASSERT_TRUE(p.appendSkipped());
        } else {
            v = (v * 31 + 17) % 20000 - 10000;
            ASSERT_EQ(p.appendValue(static_cast<std::int16_t>(v)), SearchPattern::AppendResult::Added);
        }
    }
    ASSERT_EQ(p.count(), 1000);

    const Result r = readValuesFile(writeValuesFile(p));
    ASSERT_TRUE(std::holds_alternative<Entries>(r)) << show(r);
    const Entries& read = std::get<Entries>(r);
    ASSERT_EQ(read.size(), 1000u);
    EXPECT_EQ(read, storedEntries(p));

    SearchPattern again;
    again.replace(read);
    EXPECT_EQ(writeValuesFile(again), writeValuesFile(p));
}

TEST(ValuesFile, RandomPatternsRoundTrip) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> size(0, 1000);
    for (int i = 0; i < 200; ++i) {
        const SearchPattern p = randomPattern(rng, size(rng));
        const Result r = readValuesFile(writeValuesFile(p));
        ASSERT_TRUE(std::holds_alternative<Entries>(r)) << show(r);
        ASSERT_EQ(std::get<Entries>(r), storedEntries(p));
    }
}

// ---------------------------------------------------------------------------
// Reading files that are good

struct ReadCase {
    const char* name;
    std::string bytes;
    Entries expected;
};

class ValuesFileReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ValuesFileReading, GivesTheEntries) {
    EXPECT_EQ(show(readValuesFile(GetParam().bytes)), show(GetParam().expected));
}

const Entries kThree = {{10, 0, 0}, {15, 5, 1}, {12, 3, -1}};

INSTANTIATE_TEST_SUITE_P(
    Table, ValuesFileReading,
    ::testing::Values(
        ReadCase{"CrLf", "3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n", kThree},
        ReadCase{"LfOnly", "3\n10,0,0\n15,5,1\n12,3,-1\n", kThree},
        ReadCase{"NoFinalLineEnd", "3\r\n10,0,0\r\n15,5,1\r\n12,3,-1", kThree},
        ReadCase{"LoneCrAtTheEnd", "3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r", kThree},
        ReadCase{"MixedLineEnds", "3\n10,0,0\r\n15,5,1\n12,3,-1\r\n", kThree},
        ReadCase{"BlanksAroundFields", "  3 \r\n 10 ,\t0\t, 0\r\n15, 5 ,1  \r\n\t12,3,-1\r\n", kThree},
        ReadCase{"BlankLinesSkipped", "\r\n3\r\n\r\n   \r\n10,0,0\r\n\t\r\n15,5,1\n\n12,3,-1\r\n\r\n", kThree},
        ReadCase{"FieldsSpreadOverLines", "2,1,0,0\r\n5,4,1", {{1, 0, 0}, {5, 4, 1}}},
        ReadCase{"OneFieldPerLine", "2\n1\n0\n0\n5\n4\n1\n", {{1, 0, 0}, {5, 4, 1}}},
        ReadCase{"AllOnOneLine", "3,10,0,0,15,5,1,12,3,-1", kThree},
        ReadCase{"JunkAfterTheLastEntry", "1\r\n7,0,0\r\nthis is not a number, nor this\r\n\x01\xFF", {{7, 0, 0}}},
        ReadCase{"MoreEntriesThanCounted", "1\r\n7,0,0\r\n8,1,1\r\n", {{7, 0, 0}}},
        ReadCase{"TrailingCommaAfterTheLastEntry", "1\r\n7,0,0,\r\n", {{7, 0, 0}}}, ReadCase{"CountZero", "0\r\n", {}},
        ReadCase{"Utf8MarkAtTheStart",
                 "\xEF\xBB\xBF"
                 "3\r\n10,0,0\r\n15,5,1\r\n12,3,-1\r\n",
                 kThree},
        ReadCase{"Utf8MarkBeforeABlankLine", "\xEF\xBB\xBF\r\n1\r\n7,0,0\r\n", {{7, 0, 0}}},
        ReadCase{"CountZeroThenJunk", "0\r\nabc", {}}, ReadCase{"CountZeroWithoutLineEnd", "0", {}},
        ReadCase{"SignsAndLeadingZeros", "+01\r\n-0032768,+32767,-0\r\n", {{-32768, 32767, 0}}},
        ReadCase{"ManyLeadingZeros", "1\r\n00000000000000000000000000005,0,0\r\n", {{5, 0, 0}}},
        ReadCase{"CountOfAThousand",
                 "1000\r\n" +
                     [] {
                         std::string s;
                         for (int i = 0; i < 1000; ++i) s += std::to_string(i) + ",1,-1\r\n";
                         return s;
                     }(),
                 [] {
                     Entries e;
                     for (int i = 0; i < 1000; ++i) e.push_back({static_cast<std::int16_t>(i), 1, -1});
                     return e;
                 }()}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Reading files that are bad

struct BadCase {
    const char* name;
    std::string bytes;
    int line;
    std::string describe;
};

class BadValuesFiles : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadValuesFiles, GiveTheirError) {
    const Result r = readValuesFile(GetParam().bytes);
    ASSERT_TRUE(std::holds_alternative<ValuesFileError>(r)) << show(r);
    const ValuesFileError& e = std::get<ValuesFileError>(r);
    EXPECT_EQ(e.line, GetParam().line);
    EXPECT_EQ(e.describe(), GetParam().describe);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadValuesFiles,
    ::testing::Values(
        BadCase{"Empty", "", 0, "the file is empty: it has no count of entries"},
        BadCase{"OnlyBlankLines", "\r\n  \r\n\t\n", 0, "the file is empty: it has no count of entries"},
        BadCase{"CountNotAWholeNumber", "abc\r\n", 1, "line 1: the count of entries \"abc\" is not a whole number"},
        BadCase{"CountWithFraction", "\r\n\r\n2.0\r\n", 3,
                "line 3: the count of entries \"2.0\" is not a whole number"},
        BadCase{"CountEmpty", ",1,2,3", 1, "line 1: the count of entries is empty"},
        BadCase{"CountTooLarge", "1001\r\n", 1, "line 1: the count of entries \"1001\" is outside 0 to 1000"},
        BadCase{"CountNegative", "-1\r\n", 1, "line 1: the count of entries \"-1\" is outside 0 to 1000"},
        BadCase{"CountHuge", "99999999999999999999999\r\n", 1,
                "line 1: the count of entries \"99999999999999999999999\" is outside 0 to 1000"},
        BadCase{"NoEntries", "2\r\n", 0, "the file ends before entry 1 is complete"},
        BadCase{"TooFewEntries", "4\r\n1,0,0\r\n2,1,1\r\n3,1,1\r\n", 0, "the file ends before entry 4 is complete"},
        BadCase{"EntryCutShort", "2\r\n1,0,0\r\n2,1\r\n", 0, "the file ends before entry 2 is complete"},
        BadCase{"Letters", "2\r\n1,0,0\r\nabc,1,1\r\n", 3, "line 3: \"abc\" is not a whole number"},
        BadCase{"Fraction", "1\r\n1.5,0,0\r\n", 2, "line 2: \"1.5\" is not a whole number"},
        BadCase{"Quoted", "1\r\n\"1\",0,0\r\n", 2, "line 2: \"\"1\"\" is not a whole number"},
        BadCase{"TrailingLetters", "1\r\n12x,0,0\r\n", 2, "line 2: \"12x\" is not a whole number"},
        BadCase{"BlankInsideNumber", "1\r\n1 2,0,0\r\n", 2, "line 2: \"1 2\" is not a whole number"},
        BadCase{"SignAlone", "1\r\n-,0,0\r\n", 2, "line 2: \"-\" is not a whole number"},
        BadCase{"TwoSigns", "1\r\n+-1,0,0\r\n", 2, "line 2: \"+-1\" is not a whole number"},
        BadCase{"EmptyField", "1\r\n1,,0\r\n", 2, "line 2: an empty field is not a whole number"},
        BadCase{"BlankField", "1\r\n1, \t,0\r\n", 2, "line 2: an empty field is not a whole number"},
        BadCase{"EmptyFieldAfterCommaAtLineEnd", "1\r\n1,0,\r\n0\r\n", 2,
                "line 2: an empty field is not a whole number"},
        BadCase{"LoneCrInsideAField", "1\r\n1\r2,0,0\r\n", 2, "line 2: \"1\\x0D2\" is not a whole number"},
        BadCase{"TooLarge", "1\r\n32768,0,0\r\n", 2, "line 2: \"32768\" is outside -32768 to 32767"},
        BadCase{"TooSmall", "1\r\n0,-32769,0\r\n", 2, "line 2: \"-32769\" is outside -32768 to 32767"},
        BadCase{"HugeDigits", "1\r\n0,0,123456789012345678901234567890\r\n", 2,
                "line 2: \"123456789012345678901234567890\" is outside -32768 to 32767"},
        BadCase{"LongFieldIsCutShort", "1\r\n" + std::string(50, 'x') + ",0,0\r\n", 2,
                "line 2: \"" + std::string(40, 'x') + "...\" is not a whole number"},
        BadCase{"LineNumbersCountBlankLines", "2\n\n\n1,0,0\n\n2,1,x\n", 6, "line 6: \"x\" is not a whole number"},
        BadCase{"LineOfAFieldSpreadOut", "2,1,0,0\r\n5,4\r\n1.0", 3, "line 3: \"1.0\" is not a whole number"},
        BadCase{"NulByte", std::string("1\r\n1,\0,0\r\n", 10), 2, "line 2: \"\\x00\" is not a whole number"},
        BadCase{"BinaryBytesQuotedInHex", "1\r\n\x80\xFF\x7F\x1B\\,0,0\r\n", 2,
                "line 2: \"\\x80\\xFF\\x7F\\x1B\\\\\" is not a whole number"},
        BadCase{"UnicodeDigitQuotedInHex", "1\r\n\xEF\xBC\x92,0,0\r\n", 2,
                "line 2: \"\\xEF\\xBC\\x92\" is not a whole number"},
        BadCase{"Utf8MarkOnlyAtTheStart",
                "\xEF\xBB\xBF"
                "1\r\n\xEF\xBB\xBF"
                "2,0,0\r\n",
                2,
                "line 2: \"\\xEF\\xBB\\xBF"
                "2\" is not a whole number"},
        BadCase{"TwoUtf8Marks",
                "\xEF\xBB\xBF\xEF\xBB\xBF"
                "1\r\n2,0,0\r\n",
                1,
                "line 1: the count of entries \"\\xEF\\xBB\\xBF"
                "1\" is not a whole number"},
        BadCase{"Utf16LittleEndianWithMark",
                std::string("\xFF\xFE"
                            "1\0\r\0\n\0",
                            8),
                0, "the file is not a text file of numbers: it is saved as UTF-16"},
        BadCase{"Utf16BigEndianWithMark",
                std::string("\xFE\xFF\0"
                            "1\0\r\0\n",
                            8),
                0, "the file is not a text file of numbers: it is saved as UTF-16"},
        BadCase{"Utf16WithoutAMark", std::string("1\0\r\0\n\0", 6), 0,
                "the file is not a text file of numbers: it is saved as UTF-16"}),
    [](const auto& info) { return std::string(info.param.name); });

// The values-file fuzzer's documented command must let inputs grow past the
// longest file the window writes, or the 1000-entry limit is never reached.
TEST(ValuesFile, FuzzerCommandReachesTheLongestFile) {
    SearchPattern p;
    p.replace(Entries(1000, StoredEntry{-32768, -32768, -32768}));
    const std::size_t longest = writeValuesFile(p).size();
    for (const char* document : {"README.md", "fuzz/CMakeLists.txt"}) {
        SCOPED_TRACE(document);
        std::ifstream in(std::string(KINFOLD_SOURCE_DIR) + "/" + document);
        ASSERT_TRUE(in.is_open());
        std::string line;
        bool found = false;
        while (std::getline(in, line)) {
            if (line.find("kinfold-fuzz-values-file -") == std::string::npos) continue;
            found = true;
            const std::size_t at = line.find("-max_len=");
            ASSERT_NE(at, std::string::npos) << line;
            EXPECT_GE(std::stoul(line.substr(at + 9)), longest) << line;
        }
        EXPECT_TRUE(found) << "no command line for kinfold-fuzz-values-file";
    }
}

TEST(ValuesFile, ErrorWithoutALineHasNoLinePrefix) {
    EXPECT_EQ((ValuesFileError{0, "something"}).describe(), "something");
    EXPECT_EQ((ValuesFileError{12, "something"}).describe(), "line 12: something");
}

// ---------------------------------------------------------------------------
// A plain reference reader: the file is cut into lines, blank lines dropped,
// each line cut at its commas. It gives the entries, or the line of the error
// (0 for none), without the wording.

struct ReferenceResult {
    bool ok = false;
    Entries entries;
    int errorLine = 0;
};

std::optional<long long> referenceWhole(const std::string& t) {
    std::size_t i = (!t.empty() && (t[0] == '+' || t[0] == '-')) ? 1 : 0;
    if (i == t.size()) return std::nullopt;
    for (std::size_t k = i; k < t.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(t[k]))) return std::nullopt;
    }
    const std::size_t first = t.find_first_not_of('0', i);
    const std::string digits = first == std::string::npos ? "0" : t.substr(first);
    if (digits.size() > 12) return 1'000'000'000'000LL;  // far outside every range
    const long long n = std::stoll(digits);
    return t[0] == '-' ? -n : n;
}

ReferenceResult referenceRead(const std::string& bytes) {
    std::vector<std::pair<std::string, int>> fields;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t lf = bytes.find('\n', start);
        std::string line = bytes.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        std::size_t from = 0;
        while (true) {
            const std::size_t comma = line.find(',', from);
            std::string f = line.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
            const std::size_t a = f.find_first_not_of(" \t");
            f = a == std::string::npos ? "" : f.substr(a, f.find_last_not_of(" \t") - a + 1);
            fields.emplace_back(f, static_cast<int>(n + 1));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
    }
    ReferenceResult r;
    if (fields.empty()) return r;
    const auto count = referenceWhole(fields[0].first);
    if (!count || *count < 0 || *count > 1000) {
        r.errorLine = fields[0].second;
        return r;
    }
    for (long long k = 0; k < *count; ++k) {
        std::int16_t numbers[3];
        for (int j = 0; j < 3; ++j) {
            const std::size_t index = static_cast<std::size_t>(1 + k * 3 + j);
            if (index >= fields.size()) return r;
            const auto n = referenceWhole(fields[index].first);
            if (!n || *n < -32768 || *n > 32767) {
                r.errorLine = fields[index].second;
                return r;
            }
            numbers[j] = static_cast<std::int16_t>(*n);
        }
        r.entries.push_back({numbers[0], numbers[1], numbers[2]});
    }
    r.ok = true;
    return r;
}

std::string randomFile(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "0",  "1",  "2", "3",  "7", "9", "-",     "+",     ",",      ",",      ",",           "\r\n", "\r\n",
        "\n", "\r", " ", "\t", "x", ".", "32767", "32768", "-32768", "-32769", "99999999999", "000"};
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> countPick(0, 4);
    std::string s = std::to_string(countPick(rng));
    for (int n = length(rng); n > 0; --n) s += pieces[pick(rng)];
    return s;
}

TEST(ValuesFile, ReaderAgreesWithThePlainReferenceOnRandomFiles) {
    std::mt19937 rng(5);
    int accepted = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string bytes = randomFile(rng);
        const Result r = readValuesFile(bytes);
        const ReferenceResult expected = referenceRead(bytes);
        if (expected.ok) {
            ++accepted;
            ASSERT_TRUE(std::holds_alternative<Entries>(r)) << show(r) << " for [" << bytes << "]";
            ASSERT_EQ(std::get<Entries>(r), expected.entries) << "[" << bytes << "]";
        } else {
            ASSERT_TRUE(std::holds_alternative<ValuesFileError>(r)) << show(r) << " for [" << bytes << "]";
            ASSERT_EQ(std::get<ValuesFileError>(r).line, expected.errorLine) << "[" << bytes << "]";
        }
    }
    // The generator must reach both outcomes for the comparison to mean much.
    EXPECT_GT(accepted, 1000);
    EXPECT_LT(accepted, 99000);
}

}  // namespace
}  // namespace kinfold
