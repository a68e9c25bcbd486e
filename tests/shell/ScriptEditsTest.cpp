// The translator's edits: kept by offset, undone and redone a step at a time.
#include "shell/script/ScriptEdits.h"

#include <gtest/gtest.h>

namespace kinfold {
namespace {

std::string textOf(const ScriptEdits& edits, std::uint64_t offset) {
    const std::string* text = edits.editOf(offset);
    return text ? *text : "(rom)";
}

TEST(ScriptEdits, UndoAndRedoAStepAtATime) {
    ScriptEdits edits;
    EXPECT_FALSE(edits.edit(10, "Hello", "Hello"));  // the ROM's own text is no edit
    EXPECT_FALSE(edits.unsaved());
    EXPECT_TRUE(edits.edit(10, "Hello", "Hi"));
    EXPECT_TRUE(edits.edit(10, "Hello", "Hey"));
    EXPECT_TRUE(edits.edit(20, "World", "Earth"));
    EXPECT_TRUE(edits.editAll({{10, std::nullopt}, {20, "Mars"}, {30, "New"}}));
    EXPECT_EQ(edits.count(), 2u);

    EXPECT_EQ(edits.undo(), 10u);  // the opened script, as one step
    EXPECT_EQ(textOf(edits, 10), "Hey");
    EXPECT_EQ(textOf(edits, 20), "Earth");
    EXPECT_EQ(textOf(edits, 30), "(rom)");
    EXPECT_EQ(edits.undo(), 20u);
    EXPECT_EQ(edits.undo(), 10u);
    EXPECT_EQ(textOf(edits, 10), "Hi");
    EXPECT_EQ(edits.redo(), 10u);
    EXPECT_EQ(textOf(edits, 10), "Hey");

    // A new edit drops what was undone.
    EXPECT_TRUE(edits.edit(10, "Hello", "Hello"));
    EXPECT_FALSE(edits.canRedo());
    EXPECT_EQ(edits.redo(), std::nullopt);
    EXPECT_EQ(edits.count(), 0u);
    EXPECT_EQ(edits.undo(), 10u);
    EXPECT_EQ(textOf(edits, 10), "Hey");
    EXPECT_EQ(edits.undo(), 10u);
    EXPECT_EQ(edits.undo(), 10u);
    EXPECT_EQ(edits.undo(), std::nullopt);
    EXPECT_EQ(textOf(edits, 10), "(rom)");
    EXPECT_TRUE(edits.unsaved());
}

TEST(ScriptEdits, PointersAndEditsWithoutAString) {
    ScriptEdits edits;
    EXPECT_EQ(edits.usedPointers(10), nullptr);
    edits.setUsedPointers(10, {0x3002, 0x3000, 0x3002});
    ASSERT_NE(edits.usedPointers(10), nullptr);
    EXPECT_EQ(*edits.usedPointers(10), (std::vector<std::uint64_t>{0x3000, 0x3002}));
    edits.markSaved();
    edits.setUsedPointers(10, {0x3000, 0x3002});
    EXPECT_FALSE(edits.unsaved());
    edits.setUsedPointers(10, {});
    EXPECT_TRUE(edits.unsaved());
    EXPECT_TRUE(edits.usedPointers(10)->empty());  // decided: none

    edits.edit(10, "a", "b");
    edits.edit(25, "a", "b");
    edits.edit(40, "a", "b");
    const std::vector<std::uint64_t> listed = {10, 20, 30, 40};
    EXPECT_EQ(edits.countNotIn(listed), 1u);
    EXPECT_EQ(edits.countNotIn({}), 3u);
}

}  // namespace
}  // namespace kinfold
