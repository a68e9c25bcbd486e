#include "pattern/OffsetReader.h"
#include "pattern/QuotedText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>

namespace kinfold {
namespace {

const std::string kNotAnOffset = " is not an offset: give a number in decimal, or in hex after 0x.";
const std::string kTooLarge = " is too large for an offset: the largest is 18446744073709551615 (0xFFFFFFFFFFFFFFFF).";

struct OffsetCase {
    const char* name;
    std::string text;
    std::variant<std::uint64_t, std::string> read;  // the offset, or the message after the quoted text
};

class OffsetReading : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(OffsetReading, GivesTheOffsetOrWhyNot) {
    const OffsetCase& c = GetParam();
    auto expected = c.read;
    if (auto* message = std::get_if<std::string>(&expected)) *message = "\"" + c.text + "\"" + *message;
    EXPECT_EQ(readOffset(c.text), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pattern, OffsetReading,
    ::testing::Values(OffsetCase{"Zero", "0", std::uint64_t{0}}, OffsetCase{"Decimal", "16400", std::uint64_t{16400}},
                      OffsetCase{"LeadingZerosStayDecimal", "0010", std::uint64_t{10}},
                      OffsetCase{"Hex", "0x4010", std::uint64_t{0x4010}},
                      OffsetCase{"HexWithCapitals", "0XaBcD", std::uint64_t{0xABCD}},
                      OffsetCase{"HexZero", "0x0", std::uint64_t{0}},
                      OffsetCase{"LargestDecimal", "18446744073709551615", UINT64_MAX},
                      OffsetCase{"LargestHex", "0xFFFFFFFFFFFFFFFF", UINT64_MAX},
                      OffsetCase{"OnePastTheLargestDecimal", "18446744073709551616", kTooLarge},
                      OffsetCase{"OnePastTheLargestHex", "0x10000000000000000", kTooLarge},
                      OffsetCase{"Empty", "", kNotAnOffset}, OffsetCase{"PrefixAlone", "0x", kNotAnOffset},
                      OffsetCase{"HexDigitsWithoutPrefix", "1F", kNotAnOffset},
                      OffsetCase{"BadHexDigit", "0x1G", kNotAnOffset}, OffsetCase{"Negative", "-5", kNotAnOffset},
                      OffsetCase{"Plus", "+5", kNotAnOffset}, OffsetCase{"SignAfterPrefix", "0x-5", kNotAnOffset},
                      OffsetCase{"BlankBefore", " 5", kNotAnOffset}, OffsetCase{"BlankAfter", "5 ", kNotAnOffset},
                      OffsetCase{"TwoNumbers", "12 13", kNotAnOffset}, OffsetCase{"TwoPrefixes", "0x0x5", kNotAnOffset},
                      OffsetCase{"JunkAfterATooLargeNumber", "99999999999999999999z", kNotAnOffset},
                      OffsetCase{"Fraction", "1.5", kNotAnOffset}, OffsetCase{"VbHex", "&H10", kNotAnOffset}),
    [](const auto& info) { return std::string(info.param.name); });

// A text with a NUL in it ends nowhere early.
TEST(OffsetReadingBytes, NulInsideIsRefused) {
    const std::variant<std::uint64_t, std::string> refused = std::string(
                                                                 "\"5\0"
                                                                 "6\"",
                                                                 5) +
                                                             kNotAnOffset;
    EXPECT_EQ(readOffset(std::string("5\0"
                                     "6",
                                     3)),
              refused);
}

TEST(QuotedWords, AreInDoubleQuotesAsTheyAre) {
    EXPECT_EQ(quoted(std::string("a \"b\"\\")), "\"a \"b\"\\\"");
    EXPECT_EQ(quoted(std::string_view()), "\"\"");
}

}  // namespace
}  // namespace kinfold
