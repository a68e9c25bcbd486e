// Translating in the script window: the new text typed, its bytes counted,
// the edits undone, saved, opened again, and the patch made as insert makes it.
#include "../cli/RunKinfold.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/main/ResultsView.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptRun.h"
#include "shell/script/ScriptWindow.h"
#include "table/TableFile.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace kinfold::test {
namespace {

// Letters and the space as ASCII, 00 ending a string.
CodeTable asciiTable() {
    CodeTable table;
    for (int c = 0x20; c < 0x7F; ++c) {
        if (c != '<' && c != '\\')
            table.set({static_cast<std::uint8_t>(c)}, {EntryKind::Normal, std::string(1, char(c)), 0});
    }
    table.set({0x00}, {EntryKind::End, "", 0});
    return table;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A Game Boy image with three strings, a pointer to the first at 0x3000, and
// the script window listing it.
struct Desk {
    TestFolder folder;
    QString rom;
    QString tableFile;
    ScriptedMessages messages;
    ScriptedFiles files;
    ScriptWindow window{messages, files};

    Desk() {
        QByteArray bytes = filledBytes(0x8000, 0xEE);
        const auto put = [&bytes](int at, QByteArray text) {
            text.append('\0');
            bytes.replace(at, text.size(), text);
        };
        put(0x1000, "Hello");
        put(0x1010, "World");
        put(0x1020, "Goodbye");
        bytes[0x3000] = 0x00;
        bytes[0x3001] = 0x10;
        rom = folder.write("game.gb", bytes);
        tableFile = folder.write("game.tbl", QByteArray::fromStdString(tableFileText(asciiTable())));
        window.show();
        window.showFile(rom, asciiTable());
        window.run().wait();
        QCoreApplication::sendPostedEvents();
        // Lines without pointer counts, whenever a count would have arrived.
        window.CountPointers->setCurrentIndex(0);
        emit window.CountPointers->activated(0);
    }
    void choose(int row) { window.Strings->setCurrentIndex(window.Strings->model()->index(row, 0)); }
    // Chooses the row, types text over the box's and keeps it with Enter.
    void edit(int row, const QString& text) {
        choose(row);
        window.Translation->selectAll();
        type(window.Translation, text);
        QTest::keyClick(window.Translation, Qt::Key_Return);
    }
    QStringList lines() const {
        QStringList out;
        for (std::size_t k = 0; k < window.strings().shown(); ++k) out << window.strings().line(k);
        return out;
    }
    QString budgetColor() const { return window.Budget->palette().color(QPalette::WindowText).name(); }
};

struct BudgetCase {
    const char* name;
    const char* typed;
    bool pointer;  // the pointer at 0x3000 confirmed
    const char* budget;
    bool red;
};

class TranslationBudget : public testing::TestWithParam<BudgetCase> {};

TEST_P(TranslationBudget, SaysWhetherTheTextFitsAsItIsTyped) {
    const BudgetCase& c = GetParam();
    Desk d;
    if (c.pointer) d.window.setUsedPointers(d.rom, 0x1000, {0x3000});
    d.choose(0);
    EXPECT_EQ(d.window.Translation->text(), "Hello");
    d.window.Translation->selectAll();
    type(d.window.Translation, QString::fromUtf8(c.typed));
    EXPECT_EQ(d.window.Budget->text().toStdString(), c.budget);
    EXPECT_EQ(d.budgetColor() == "#b00020", c.red);
    // Nothing is kept until Enter.
    EXPECT_EQ(d.window.edits().count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, TranslationBudget,
    testing::Values(BudgetCase{"Shorter", "Hi", false, "3 of 6 bytes: fits in place", false},
                    BudgetCase{"Exactly", "Hallo", false, "6 of 6 bytes: fits in place", false},
                    BudgetCase{"OverWithPointer", "Hello there", true, "12 bytes, 6 over: moves, 1 pointer", false},
                    BudgetCase{"OverWithout", "Hello there", false, "12 bytes, 6 over: no known pointer", true},
                    BudgetCase{"NotInTable", "Hi \xD1\x91!", false, "column 4: \xD1\x91 is not in the table", true}),
    [](const testing::TestParamInfo<BudgetCase>& info) { return info.param.name; });

TEST(Translation, EditsAreMarkedFilteredUndoneAndRedone) {
    Desk d;
    d.edit(0, "Hi");
    d.edit(1, "Earth");
    EXPECT_EQ(d.lines(),
              (QStringList{"4096 (1000 hex)  \u270E Hi", "4112 (1010 hex)  \u270E Earth", "4128 (1020 hex)  Goodbye"}));
    d.window.Show->setCurrentIndex(2);  // unedited strings
    EXPECT_EQ(d.lines(), (QStringList{"4128 (1020 hex)  Goodbye"}));
    d.window.Show->setCurrentIndex(1);  // edited strings
    d.window.Filter->setText("ear");
    EXPECT_EQ(d.lines(), (QStringList{"4112 (1010 hex)  \u270E Earth"}));
    d.window.Filter->clear();
    d.window.Show->setCurrentIndex(0);

    // Each string's change is a step; the list and the box follow it.
    d.window.Strings->setFocus();
    QTest::keyClick(d.window.Strings, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(d.lines().at(1), "4112 (1010 hex)  World");
    EXPECT_EQ(d.window.Translation->text(), "World");
    QTest::keyClick(d.window.Strings, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(d.lines().at(0), "4096 (1000 hex)  Hello");
    QTest::keyClick(d.window.Strings, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(d.lines().at(0), "4096 (1000 hex)  \u270E Hi");
    EXPECT_EQ(d.window.Translation->text(), "Hi");

    // Escape in the box takes back what was typed, and the window stays.
    d.choose(2);
    type(d.window.Translation, "!!");
    QTest::keyClick(d.window.Translation, Qt::Key_Escape);
    EXPECT_EQ(d.window.Translation->text(), "Goodbye");
    EXPECT_TRUE(d.window.isVisible());
    EXPECT_EQ(d.window.edits().count(), 1u);
}

TEST(Translation, ASavedScriptOpensAgainWithItsEditsAndPointers) {
    Desk d;
    d.window.setUsedPointers(d.rom, 0x1000, {0x3000});
    d.edit(0, "Hi\\nthere");
    d.edit(2, "Bye");
    const QString saved = d.folder.path("game.txt");
    d.files.paths.push_back(saved);
    click(d.window.SaveScript);
    EXPECT_EQ(readAll(saved).toStdString(),
              "4096 (1000 hex) <- 12288 (3000 hex)  Hi\\nthere\n"
              "4112 (1010 hex)  World\n"
              "4128 (1020 hex)  Bye\n");
    EXPECT_FALSE(d.window.edits().unsaved());

    Desk other;
    other.files.paths.push_back(saved);
    click(other.window.OpenScript);
    EXPECT_TRUE(other.messages.shown.empty());
    EXPECT_EQ(other.lines(), (QStringList{"4096 (1000 hex)  [1 pointer confirmed]  \u270E Hi\\nthere",
                                          "4112 (1010 hex)  World", "4128 (1020 hex)  \u270E Bye"}));
    // A line with no listed string is refused by its number, and nothing changes.
    const QString wrong = other.folder.write("wrong.txt", "4096 (1000 hex)  Yo\n5000 (1388 hex)  Nope\n");
    other.files.paths.push_back(wrong);
    click(other.window.OpenScript);
    ASSERT_EQ(other.messages.shown.size(), 1u);
    EXPECT_EQ(other.messages.shown[0].text, "Can't open the script \"" + wrong +
                                                "\": nothing was changed.\nline 2: no string listed here starts at "
                                                "5000 (1388 hex)");
    EXPECT_EQ(other.lines().at(0), "4096 (1000 hex)  [1 pointer confirmed]  \u270E Hi\\nthere");
}

TEST(Translation, SavePatchWritesWhatInsertWrites) {
    Desk d;
    d.window.setUsedPointers(d.rom, 0x1000, {0x3000});
    d.window.FreeSpace->setText("0x3800-0x3900");
    EXPECT_EQ(d.window.FreeSpaceCheck->text(), "256 bytes");
    d.edit(0, "Hello, traveller");
    d.edit(1, "Earth");
    const QString script = d.folder.path("game.txt");
    d.files.paths.push_back(script);
    click(d.window.SaveScript);

    for (const int filter : {0, 1}) {
        const QString patch = d.folder.path(filter == 0 ? "window.bps" : "window.ips");
        d.files.paths.push_back(patch);
        d.files.nextFilter = filter;
        click(d.window.SavePatch);
        d.window.waitUntilInserted();
        ASSERT_FALSE(d.messages.shown.empty());
        EXPECT_EQ(d.messages.shown.back().style, kStyleNotice) << d.messages.shown.back().text.toStdString();
        const std::string option = filter == 0 ? "--bps" : "--ips";
        const QString expected = d.folder.path(filter == 0 ? "cli.bps" : "cli.ips");
        const auto run = testing_support::runKinfoldWith(
            {"insert"}, {"--tbl", d.tableFile.toStdString(), "--script", script.toStdString(), "--free",
                         "0x3800-0x3900", option, expected.toStdString(), d.rom.toStdString()});
        ASSERT_EQ(run.status, 0) << run.err << d.messages.shown.back().text.toStdString();
        EXPECT_EQ(readAll(patch), readAll(expected));
        EXPECT_FALSE(readAll(patch).isEmpty());
    }
}

TEST(Translation, AStringThatMustMoveWithoutAPointerWritesNothing) {
    Desk d;
    d.window.FreeSpace->setText("0x3800-0x3900");
    d.edit(1, "Everybody out there");
    const QString patch = d.folder.path("game.bps");
    d.files.paths.push_back(patch);
    click(d.window.SavePatch);
    d.window.waitUntilInserted();
    ASSERT_EQ(d.messages.shown.size(), 1u);
    EXPECT_EQ(d.messages.shown[0].style, kStyleWarning);
    EXPECT_TRUE(d.messages.shown[0].text.startsWith("Nothing was written to \"" + patch + "\""));
    EXPECT_TRUE(
        d.messages.shown[0].text.contains("line 2: its new text takes 20 bytes where the string at 4112 "
                                          "(1010 hex) had 6, and no pointer to it is known"));
    EXPECT_FALSE(QFile::exists(patch));
}

TEST(Translation, ListingAgainKeepsTheEditsAndCountsThoseWithoutAString) {
    Desk d;
    d.edit(0, "Hi");
    d.edit(2, "Bye");
    d.window.MinLength->setValue(6);  // "Hello" and "World" are too short now
    d.window.run().wait();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(d.lines(), (QStringList{"4128 (1020 hex)  \u270E Bye"}));
    EXPECT_EQ(d.window.Count->text(), "1 string; 2 edited, 1 edit no longer has a string");
    d.window.MinLength->setValue(4);
    d.window.run().wait();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(d.lines().at(0), "4096 (1000 hex)  \u270E Hi");
    EXPECT_EQ(d.window.Count->text(), "3 strings; 2 edited");
}

TEST(Translation, ClosingWithUnsavedEditsAsks) {
    Desk d;
    d.edit(0, "Hi");
    d.messages.answers.push_back(kAnswerCancel);
    d.window.close();
    EXPECT_TRUE(d.window.isVisible());
    ASSERT_EQ(d.messages.shown.size(), 1u);
    EXPECT_EQ(d.messages.shown[0].text, "Save the edited script?");
    EXPECT_EQ(d.messages.shown[0].style, kStyleSaveQuestion);
    // Yes saves, then closes.
    const QString saved = d.folder.path("game.txt");
    d.files.paths.push_back(saved);
    d.messages.answers.push_back(kAnswerYes);
    d.window.close();
    EXPECT_FALSE(d.window.isVisible());
    EXPECT_EQ(readAll(saved).toStdString(), "4096 (1000 hex)  Hi\n4112 (1010 hex)  World\n4128 (1020 hex)  Goodbye\n");
    // Saved: closing again asks nothing.
    d.window.show();
    d.window.close();
    EXPECT_EQ(d.messages.shown.size(), 2u);
}

}  // namespace
}  // namespace kinfold::test
