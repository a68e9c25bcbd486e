// A text's bytes against its string's room, as insert would write them.
#include "insert/StringBudget.h"
#include "table/TableDecoder.h"

#include <gtest/gtest.h>

namespace kinfold {
namespace {

// A-Z at 0x80, the space at 0x7F, the control <c> at 0xF0 with one parameter, a line break at 01,
// 00 ending a string.
CodeTable budgetTable(bool space = true) {
    CodeTable table;
    for (int c = 0; c < 26; ++c) {
        table.set({static_cast<std::uint8_t>(0x80 + c)}, {EntryKind::Normal, std::string(1, char('A' + c)), 0});
    }
    if (space) table.set({0x7F}, {EntryKind::Normal, " ", 0});
    table.set({0xF0}, {EntryKind::Control, "<c>", 1});
    table.set({0x01}, {EntryKind::LineBreak, "", 0});
    table.set({0x00}, {EntryKind::End, "", 0});
    return table;
}

struct BudgetCase {
    const char* name;
    std::vector<std::uint8_t> rom;  // the old string from 0
    bool space;
    const char* text;
    std::size_t pointers;
    const char* said;
    bool problem;
};

class Budget : public testing::TestWithParam<BudgetCase> {};

TEST_P(Budget, SaysWhatInsertWouldDo) {
    const BudgetCase& c = GetParam();
    const CodeTable table = budgetTable(c.space);
    const TableDecoder decoder(table);
    const TextEncoder encoder(table);
    const RomString old = romStringAt(c.rom, decoder, 0);
    const StringBudget budget = budgetOf(encoder, c.rom, old, c.text, c.pointers);
    EXPECT_EQ(budgetText(budget), c.said);
    EXPECT_EQ(budget.problem(), c.problem);
}

// "ABC" and its end token; "ABCD" as a fixed field, ended by a byte no entry has.
const std::vector<std::uint8_t> kEnded = {0x80, 0x81, 0x82, 0x00};
const std::vector<std::uint8_t> kFixed = {0x80, 0x81, 0x82, 0x83, 0xEE};

INSTANTIATE_TEST_SUITE_P(
    Texts, Budget,
    testing::Values(BudgetCase{"Unchanged", kEnded, true, "ABC", 0, "4 of 4 bytes: as in the ROM", false},
                    BudgetCase{"FillsTheRoom", kEnded, true, "XYZ", 0, "4 of 4 bytes: fits in place", false},
                    BudgetCase{"OneOverMoves", kEnded, true, "WXYZ", 2, "5 bytes, 1 over: moves, 2 pointers", false},
                    BudgetCase{"OneOverStuck", kEnded, true, "WXYZ", 0, "5 bytes, 1 over: no known pointer", true},
                    BudgetCase{"FixedTooLong", kFixed, true, "VWXYZ", 1,
                               "5 bytes, 1 over: a string with no end token keeps its 4 bytes", true},
                    BudgetCase{"FixedPadded", kFixed, true, "AB", 0, "2 of 4 bytes: fits in place", false},
                    BudgetCase{"FixedNoSpace", kFixed, false, "AB", 0,
                               "2 of 4 bytes: a string with no end token keeps its length, and the table's space "
                               "can't fill the 2 left",
                               true},
                    BudgetCase{"NotInTable", kEnded, true, "A\nb", 0, "column 4: b is not in the table", true},
                    BudgetCase{"ControlShort", kEnded, true, "A<c>", 1,
                               "column 2: the control \"<c>\" takes 1 parameter, each written <$HH> after its label",
                               true}),
    [](const testing::TestParamInfo<BudgetCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kinfold
