#include "search/ResultLine.h"
#include "search/ScanError.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <ostream>
#include <string>

namespace kinfold {
namespace {

struct LineCase {
    const char* name;
    std::uint64_t offset;
    const char* text;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ResultLineText : public ::testing::TestWithParam<LineCase> {};

TEST_P(ResultLineText, IsDecimalThenUpperCaseHex) { EXPECT_EQ(resultLine(GetParam().offset), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Table, ResultLineText,
    ::testing::Values(LineCase{"Zero", 0, "0 (0 hex)"}, LineCase{"Ten", 10, "10 (A hex)"},
                      LineCase{"Byte", 255, "255 (FF hex)"}, LineCase{"Word", 4660, "4660 (1234 hex)"},
                      LineCase{"OneMebibyte", 1048576, "1048576 (100000 hex)"},
                      LineCase{"Past2GiB", 2147483648u, "2147483648 (80000000 hex)"},
                      LineCase{"LastBelow4GiB", 4294967295u, "4294967295 (FFFFFFFF hex)"},
                      LineCase{"Past4GiB", 4294967296u, "4294967296 (100000000 hex)"},
                      LineCase{"Largest", UINT64_MAX, "18446744073709551615 (FFFFFFFFFFFFFFFF hex)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct MessageCase {
    const char* name;
    ScanError error;
    const char* text;
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class ScanErrorMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ScanErrorMessage, ReadsAsASentence) { EXPECT_EQ(GetParam().error.message(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Table, ScanErrorMessage,
    ::testing::Values(
        MessageCase{"OpenMissing",
                    {"/roms/game.nes", "there is no such file", ScanError::Stage::Open, 0},
                    "Can't open the ROM file \"/roms/game.nes\": there is no such file."},
        MessageCase{"OpenNoName",
                    {"", "no file name was given", ScanError::Stage::Open, 0},
                    "Can't open the ROM file \"\": no file name was given."},
        MessageCase{"OpenIgnoresOffset",
                    {"a.bin", "permission denied", ScanError::Stage::Open, 77},
                    "Can't open the ROM file \"a.bin\": permission denied."},
        MessageCase{
            "ReadShrank",
            {"C:\\roms\\x.smc", "the file became shorter while it was searched", ScanError::Stage::Read, 4294967296u},
            "Can't read the ROM file \"C:\\roms\\x.smc\": the file became shorter while it was searched. "
            "The search stopped at offset 4294967296."},
        MessageCase{"ReadAtStart",
                    {"r.gb", "Input/output error", ScanError::Stage::Read, 0},
                    "Can't read the ROM file \"r.gb\": Input/output error. The search stopped at offset 0."}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReasonCase {
    const char* name;
    int error;
    const char* reason;
};

void PrintTo(const ReasonCase& c, std::ostream* os) { *os << c.name; }

class ErrorReason : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(ErrorReason, IsInPlainWords) {
    EXPECT_EQ(errorReason(GetParam().error), GetParam().reason);
    EXPECT_EQ(errorReason(std::make_error_code(static_cast<std::errc>(GetParam().error))), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Table, ErrorReason,
                         ::testing::Values(ReasonCase{"Missing", ENOENT, "there is no such file"},
                                           ReasonCase{"PartIsNoFolder", ENOTDIR, "there is no such file"},
                                           ReasonCase{"Folder", EISDIR, "it is a folder, not a file"},
                                           ReasonCase{"Access", EACCES, "permission denied"},
                                           ReasonCase{"NotPermitted", EPERM, "permission denied"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorReason, OtherErrorsUseTheSystemText) {
    EXPECT_EQ(errorReason(EIO), std::generic_category().message(EIO));
    EXPECT_FALSE(errorReason(EIO).empty());
    EXPECT_NE(errorReason(EIO), errorReason(ENOSPC));
}

}  // namespace
}  // namespace kinfold
