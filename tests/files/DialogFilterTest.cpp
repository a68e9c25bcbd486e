#include "files/DialogFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace kinfold {
namespace {

std::string show(const std::vector<FilterEntry>& entries) {
    std::string s;
    for (const FilterEntry& e : entries) {
        s += "[" + e.description + "]";
        for (const std::string& p : e.patterns) s += " <" + p + ">";
        s += "\n";
    }
    return s;
}

struct FilterCase {
    const char* name;
    std::string_view filter;
    std::vector<FilterEntry> expected;
};

class DialogFilters : public ::testing::TestWithParam<FilterCase> {};

TEST_P(DialogFilters, GiveTheExpectedChoices) {
    EXPECT_EQ(show(parseDialogFilter(GetParam().filter)), show(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, DialogFilters,
    ::testing::Values(
        FilterCase{"RomFiles",
                   kRomFileFilter,
                   {{"Game Boy ROMs (*.gb, *.gbc)", {"*.gb", "*.gbc"}},
                    {"NES ROMs (*.nes)", {"*.nes"}},
                    {"SNES ROMs (*.smc, *.fig)", {"*.smc", "*.fig"}},
                    {"All files (*.*)", {"*.*"}}}},
        FilterCase{"ValuesFiles",
                   kValuesFileFilter,
                   {{"Kinfold Search Values (*.ksv)", {"*.ksv"}}, {"All files (*.*)", {"*.*"}}}},
        FilterCase{"ReportFiles", kReportFileFilter, {{"Text Files (*.txt)", {"*.txt"}}, {"All files (*.*)", {"*.*"}}}},
        FilterCase{"Empty", "", {}},
        FilterCase{"BlanksAroundPatternsDropped", "Some | *.a ;\t*.b\t; *.c ", {{"Some ", {"*.a", "*.b", "*.c"}}}},
        FilterCase{"EmptyPatternsDropped", "A|;*.a;;*.b;", {{"A", {"*.a", "*.b"}}}},
        FilterCase{"DescriptionWithoutPatterns", "Lonely", {{"Lonely", {}}}},
        FilterCase{"TrailingBar", "A|*.a|", {{"A", {"*.a"}}}},
        FilterCase{"EmptyPatternsPart", "A||B|*.b", {{"A", {}}, {"B", {"*.b"}}}},
        FilterCase{"OddPartCountEndsWithDescription", "A|*.a|B", {{"A", {"*.a"}}, {"B", {}}}},
        FilterCase{"EmptyDescription", "|*.x", {{"", {"*.x"}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DialogFilter, ConstantsAreExactlyAsTheDialogsShowThem) {
    EXPECT_EQ(kRomFileFilter,
              "Game Boy ROMs (*.gb, *.gbc)|*.gb;*.gbc|NES ROMs (*.nes)|*.nes|SNES ROMs (*.smc, *.fig)|*.smc;*.fig|"
              "All files (*.*)|*.*");
    EXPECT_EQ(kValuesFileFilter, "Kinfold Search Values (*.ksv)|*.ksv|All files (*.*)|*.*");
    EXPECT_EQ(kReportFileFilter, "Text Files (*.txt)|*.txt|All files (*.*)|*.*");
}

}  // namespace
}  // namespace kinfold
