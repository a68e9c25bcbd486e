// Script lines written for the window's strings read back as they were.
#include "insert/FreeRanges.h"
#include "insert/ScriptReader.h"
#include "insert/ScriptWriter.h"

#include <gtest/gtest.h>

#include <random>

namespace kinfold {
namespace {

TEST(ScriptWriter, RandomStringsReadBackWithTheirPointers) {
    std::mt19937 random(27);
    const std::vector<std::string> pieces = {"a",     "Z",        " ",  "\n", "\\", "\\n",
                                             "<$41>", "\xD1\x91", "  ", "#",  "\r", "(no table entry matches here)"};
    struct Written {
        std::uint64_t offset;
        std::string text;
        std::vector<std::uint64_t> pointers;
    };
    std::vector<Written> strings;
    std::string script;
    std::uint64_t offset = 0;
    for (int k = 0; k < 300; ++k) {
        Written s{offset += 1 + random() % 5000, "", {}};
        for (std::size_t n = 1 + random() % 12; n > 0; --n) s.text += pieces[random() % pieces.size()];
        for (std::size_t n = random() % 3; n > 0; --n) s.pointers.push_back(random() % 0x1000000);
        appendStringLines(s.offset, s.text, s.pointers, script);
        strings.push_back(s);
    }
    const ScriptRead read = readScript(script);
    ASSERT_TRUE(read.problems.empty()) << read.problems.front().line << ": " << read.problems.front().reason;
    std::size_t at = 0;
    for (const Written& s : strings) {
        for (std::size_t p = 0; p < std::max<std::size_t>(1, s.pointers.size()); ++p, ++at) {
            ASSERT_LT(at, read.entries.size());
            const ScriptEntry& e = read.entries[at];
            EXPECT_EQ(e.offset, s.offset);
            EXPECT_EQ(e.text, s.text);
            EXPECT_EQ(e.pointer, s.pointers.empty() ? std::nullopt : std::optional(s.pointers[p]));
        }
    }
    EXPECT_EQ(at, read.entries.size());
}

struct RangesCase {
    const char* text;
    std::vector<ByteRange> ranges;
    const char* problem;
};

class FreeRangesText : public testing::TestWithParam<RangesCase> {};

TEST_P(FreeRangesText, ReadsAsFreeTakesThem) {
    const RangesCase& c = GetParam();
    const auto read = readFreeRanges(c.text);
    if (c.problem[0] == '\0') {
        ASSERT_TRUE(std::holds_alternative<std::vector<ByteRange>>(read)) << std::get<std::string>(read);
        EXPECT_EQ(std::get<std::vector<ByteRange>>(read), c.ranges);
    } else {
        ASSERT_TRUE(std::holds_alternative<std::string>(read));
        EXPECT_EQ(std::get<std::string>(read), c.problem);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FreeRangesText,
    testing::Values(RangesCase{"", {}, ""}, RangesCase{" , ", {}, ""},
                    RangesCase{"0x7C000-0x80000, 0x1F000-0x20000", {{0x7C000, 0x80000}, {0x1F000, 0x20000}}, ""},
                    RangesCase{"10-11 20-0x20", {{10, 11}, {20, 32}}, ""},
                    RangesCase{"0x7C000-",
                               {},
                               "\"0x7C000-\" is not START-END: two offsets, each decimal or hex after 0x, END "
                               "exclusive"},
                    RangesCase{"10-11, 0x20-32",
                               {},
                               "\"0x20-32\" holds no byte: its end, 32 (20 hex), must lie past its start, 32 (20 "
                               "hex)"}));

}  // namespace
}  // namespace kinfold
