#include "cli/NameFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinfold::cli {
namespace {

struct FilterCase {
    const char* name;
    std::vector<std::string> includes;
    std::vector<std::string> excludes;
    const char* file;      // its name
    const char* relative;  // its path below the folder searched
    bool taken;
};

class NameFilterCases : public ::testing::TestWithParam<FilterCase> {};

TEST_P(NameFilterCases, TakesFile) {
    const FilterCase& c = GetParam();
    EXPECT_EQ(NameFilter(c.includes, c.excludes).takesFile(c.file, c.relative), c.taken);
}

INSTANTIATE_TEST_SUITE_P(
    Globs, NameFilterCases,
    ::testing::Values(FilterCase{"NoGlobsTakeAll", {}, {}, "a.bin", "x/a.bin", true},
                      FilterCase{"IncludeByName", {"*.gb"}, {}, "a.gb", "x/a.gb", true},
                      FilterCase{"IncludeIsNotASuffixMatch", {"*.gb"}, {}, "a.gbc", "x/a.gbc", false},
                      FilterCase{"AnyIncludeWill", {"*.gb", "*.gbc"}, {}, "a.gbc", "x/a.gbc", true},
                      FilterCase{"ExcludeWinsOverInclude", {"*.gb"}, {"beta*"}, "beta1.gb", "beta1.gb", false},
                      FilterCase{"BracketsAndQuestionMark", {"rom[0-9]?.nes"}, {}, "rom1a.nes", "rom1a.nes", true},
                      FilterCase{"SlashMatchesThePath", {"jp/*.gb"}, {}, "a.gb", "jp/a.gb", true},
                      FilterCase{"StarStopsAtSlash", {"jp/*.gb"}, {}, "a.gb", "jp/old/a.gb", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NameFilterFolders, OnlyExcludesStopAFolder) {
    const NameFilter filter({"*.gb"}, {"backup"});
    EXPECT_TRUE(filter.entersFolder("roms", "roms"));
    EXPECT_FALSE(filter.entersFolder("backup", "roms/backup"));
}

}  // namespace
}  // namespace kinfold::cli
