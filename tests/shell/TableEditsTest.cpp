#include "shell/preview/TableEdits.h"

#include <gtest/gtest.h>

namespace kinfold {
namespace {

CodeTable tableOf(std::initializer_list<std::pair<EntryBytes, std::string>> entries) {
    CodeTable table;
    for (const auto& [bytes, text] : entries) table.set(bytes, TableEntry{EntryKind::Normal, text, 0});
    return table;
}

const CodeTable kInferred = tableOf({{{0x41}, "A"}, {{0x42}, "B"}});

TEST(TableEdits, EditsOutrankTheInferredTableAndARemovedEntryGoesFromBoth) {
    TableEdits edits;
    edits.switchTo("a.gb");
    EXPECT_EQ(edits.applyTo(kInferred), kInferred);
    EXPECT_FALSE(edits.edited());
    edits.set({0x41}, TableEntry{EntryKind::Normal, "x", 0});
    edits.set({0x00}, TableEntry{EntryKind::End, "", 0});
    edits.remove({0x42});
    CodeTable expected = tableOf({{{0x41}, "x"}});
    expected.set({0x00}, TableEntry{EntryKind::End, "", 0});
    EXPECT_EQ(edits.applyTo(kInferred), expected);
    EXPECT_TRUE(edits.edited());
    // Set again after removing: back in.
    edits.set({0x42}, TableEntry{EntryKind::Normal, "b", 0});
    EXPECT_EQ(edits.applyTo(kInferred).find({0x42})->text, "b");
}

TEST(TableEdits, OpeningATableDropsTheEditsBeforeIt) {
    TableEdits edits;
    edits.switchTo("a.gb");
    edits.remove({0x41});
    edits.open(tableOf({{{0x80}, "the"}}), "game.tbl");
    EXPECT_EQ(edits.name(), "game.tbl");
    EXPECT_FALSE(edits.edited());
    EXPECT_EQ(edits.applyTo(kInferred), tableOf({{{0x41}, "A"}, {{0x42}, "B"}, {{0x80}, "the"}}));
}

TEST(TableEdits, EachFileKeepsItsOwnEditsAcrossSwitches) {
    TableEdits edits;
    edits.switchTo("a.gb");
    edits.open(tableOf({{{0x80}, "the"}}), "a.tbl");
    edits.switchTo("b.gb");
    EXPECT_EQ(edits.applyTo(kInferred), kInferred);  // b starts from its own inferred table
    EXPECT_EQ(edits.name(), "");
    edits.remove({0x41});
    edits.switchTo("a.gb");
    EXPECT_EQ(edits.name(), "a.tbl");
    EXPECT_EQ(edits.applyTo(kInferred).find({0x80})->text, "the");
    EXPECT_NE(edits.applyTo(kInferred).find({0x41}), nullptr);
    edits.switchTo("b.gb");
    EXPECT_EQ(edits.applyTo(kInferred).find({0x41}), nullptr);
    EXPECT_TRUE(edits.edited());
    edits.switchTo("b.gb");  // the same file again changes nothing
    EXPECT_EQ(edits.file(), "b.gb");
    EXPECT_TRUE(edits.edited());
}

using Place = TableEdits::Place;

bool samePlace(const std::optional<Place>& p, std::uint64_t at, std::size_t bytes) {
    return p && p->at == at && p->bytes == bytes;
}

TEST(TableEdits, UndoAndRedoTakeOneStepEachAndANewEditDropsWhatWasTakenBack) {
    TableEdits edits;
    edits.switchTo("a.gb");
    edits.set({0x41}, TableEntry{EntryKind::Normal, "x", 0}, 10);
    edits.remove({0x42}, 11);
    edits.set({0x41, 0x42}, TableEntry{EntryKind::Normal, "the", 0}, 12);
    edits.set({0x41}, TableEntry{EntryKind::End, "", 0}, 13);
    EXPECT_TRUE(samePlace(edits.undo(), 13, 1));
    EXPECT_EQ(edits.applyTo(kInferred).find({0x41})->text, "x");  // the entry the step replaced
    EXPECT_TRUE(samePlace(edits.undo(), 12, 2));
    EXPECT_EQ(edits.applyTo(kInferred).find({0x41, 0x42}), nullptr);
    EXPECT_TRUE(samePlace(edits.undo(), 11, 1));
    EXPECT_EQ(edits.applyTo(kInferred).find({0x42})->text, "B");  // the inferred entry back
    EXPECT_TRUE(samePlace(edits.undo(), 10, 1));
    EXPECT_EQ(edits.applyTo(kInferred), kInferred);
    EXPECT_FALSE(edits.edited());
    EXPECT_FALSE(edits.undo());
    EXPECT_TRUE(samePlace(edits.redo(), 10, 1));
    EXPECT_TRUE(samePlace(edits.redo(), 11, 1));
    EXPECT_EQ(edits.applyTo(kInferred), tableOf({{{0x41}, "x"}}));
    EXPECT_TRUE(edits.edited());
    EXPECT_TRUE(edits.canRedo());
    edits.set({0x43}, TableEntry{EntryKind::Normal, "C", 0}, 14);
    EXPECT_FALSE(edits.canRedo());
    EXPECT_FALSE(edits.redo());
}

TEST(TableEdits, EachFileKeepsItsOwnHistoryAndOpeningATableStartsAFreshOne) {
    TableEdits edits;
    edits.switchTo("a.gb");
    edits.remove({0x41}, 1);
    edits.undo();
    edits.switchTo("b.gb");
    EXPECT_FALSE(edits.canUndo());
    EXPECT_FALSE(edits.canRedo());
    edits.switchTo("a.gb");
    EXPECT_TRUE(samePlace(edits.redo(), 1, 1));  // kept though the edit itself was taken back
    edits.open(tableOf({{{0x80}, "the"}}), "a.tbl");
    EXPECT_FALSE(edits.canUndo());
    EXPECT_FALSE(edits.undo());
    EXPECT_EQ(edits.applyTo(kInferred).find({0x80})->text, "the");
}

}  // namespace
}  // namespace kinfold
