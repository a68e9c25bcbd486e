#include "TestFiles.h"

#include "shell/CommandLine.h"

#include <QDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kinfold::test {
namespace {

struct ArgumentsCase {
    const char* name;
    QStringList arguments;  // after the program's name
    std::optional<int> exitStatus;
    QString file;  // relative to the current folder
    QString output;
    QString errors;
};

class Arguments : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(Arguments, ReadAsTheProgramReadsThem) {
    const ArgumentsCase& c = GetParam();
    const CommandLine read = readCommandLine(QStringList{QStringLiteral("/usr/bin/kinfold-search")} + c.arguments);
    EXPECT_EQ(read.exitStatus, c.exitStatus);
    EXPECT_EQ(read.file, c.file.isEmpty() ? QString() : QDir::current().absoluteFilePath(c.file));
    EXPECT_EQ(read.errors, c.errors);
    if (c.output.endsWith('\n')) {
        EXPECT_EQ(read.output, c.output);
    } else {
        EXPECT_TRUE(read.output.contains(c.output)) << read.output.toStdString();
    }
}

const QString kTryHelp = QStringLiteral("Try 'kinfold-search --help' for more information.\n");

INSTANTIATE_TEST_SUITE_P(
    Table, Arguments,
    ::testing::Values(
        ArgumentsCase{"Nothing", {}, std::nullopt, {}, {}, {}},
        ArgumentsCase{"RomFile", {"roms/game.gb"}, std::nullopt, "roms/game.gb", {}, {}},
        ArgumentsCase{"FileAfterDoubleDash", {"--", "--odd.gb"}, std::nullopt, "--odd.gb", {}, {}},
        ArgumentsCase{"Version", {"--version"}, 0, {}, "Kinfold Search 1.02\n", {}},
        ArgumentsCase{"VersionWinsOverAFile", {"game.gb", "-v"}, 0, {}, "Kinfold Search 1.02\n", {}},
        ArgumentsCase{"Help", {"--help"}, 0, {}, " [options] [FILE]\nFind text and tables in ROM images by relative search.", {}},
        ArgumentsCase{"UnknownOption", {"--frobnicate"}, 2, {}, {},
                      "kinfold-search: Unknown option 'frobnicate'.\n" + kTryHelp},
        ArgumentsCase{"TwoFiles", {"a.gb", "b.gb"}, 2, {}, {}, "kinfold-search: one file at most, not 2\n" + kTryHelp}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold::test
