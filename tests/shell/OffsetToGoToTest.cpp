#include "shell/preview/OffsetToGoTo.h"

#include <gtest/gtest.h>

#include <string>

namespace kinfold {
namespace {

struct GoToCase {
    const char* name;
    const char* text;
    std::uint64_t fileSize;
    std::variant<std::uint64_t, std::string> result;
};

class OffsetsToGoTo : public testing::TestWithParam<GoToCase> {};

TEST_P(OffsetsToGoTo, AreReadInDecimalOrHexAndMustLieInTheFile) {
    const GoToCase& c = GetParam();
    EXPECT_EQ(offsetToGoTo(c.text, c.fileSize, "rom.gb"), c.result);
}

using R = std::variant<std::uint64_t, std::string>;
const std::string kNotAnOffset = " is not an offset: give a number in decimal, or in hex after 0x.";

INSTANTIATE_TEST_SUITE_P(
    Table, OffsetsToGoTo,
    testing::Values(
        GoToCase{"Decimal", "700", 1024, R(std::uint64_t{700})}, GoToCase{"Hex", "0x2BC", 1024, R(std::uint64_t{700})},
        GoToCase{"HexCapitalXBlanksAround", " 0X2bc\t", 1024, R(std::uint64_t{700})},
        GoToCase{"LastByte", "1023", 1024, R(std::uint64_t{1023})},
        GoToCase{"PastTheEnd", "1024", 1024,
                 R(std::string(
                     "Offset 1024 (400 hex) lies past the end of \"rom.gb\": its last byte is at 1023 (3FF hex)."))},
        GoToCase{"EmptyFile", "0", 0, R(std::string("\"rom.gb\" is empty: it has no offset to go to."))},
        GoToCase{"Letters", "12x", 1024, R("\"12x\"" + kNotAnOffset)},
        GoToCase{"Signed", "-1", 1024, R("\"-1\"" + kNotAnOffset)},
        GoToCase{"Nothing", "", 1024, R("\"\"" + kNotAnOffset)},
        GoToCase{"TooLarge", "0x10000000000000000", 1024,
                 R(std::string("\"0x10000000000000000\" is too large for an offset: the largest is "
                               "18446744073709551615 (0xFFFFFFFFFFFFFFFF)."))}),
    [](const testing::TestParamInfo<GoToCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold
