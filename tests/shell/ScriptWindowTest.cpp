#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/main/ResultsView.h"
#include "shell/preview/ResultPreview.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptRun.h"
#include "shell/script/ScriptWindow.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <semaphore>

namespace kinfold::test {
namespace {

constexpr int kShift = -0x20;  // every character code lies 0x20 above its byte

void plantText(QByteArray& bytes, int offset, const char* text) {
    for (const char* c = text; *c != '\0'; ++c) bytes[offset++] = static_cast<char>(*c + kShift);
}

// A ROM searched for "Hello", its first hit open in the preview; "Script..."
// lists "Hello", "World" and "Goodbye" and leaves out "abc", too short.
struct Scripted : Harness {
    TestFolder folder;
    QString rom;

    Scripted() {
        w().show();
        QByteArray bytes = filledBytes(1024);
        plantText(bytes, 300, "Hello");
        plantText(bytes, 600, "World");
        plantText(bytes, 700, "abc");
        plantText(bytes, 800, "Goodbye");
        rom = folder.write("rom.bin", bytes);
        click(w().OptString);
        type(w().EnterStr, "Hello");
        click(w().AddStr);
        search(w(), rom);
        w().Results->setCurrentIndex(w().Results->model()->index(0, 0));
        QTest::keyClick(w().Results, Qt::Key_Return);
    }
    ResultPreview& preview() { return *w().resultPreview(); }
    // Clicks "Script..." and lets the dump run to its end.
    ScriptWindow& script() {
        click(preview().Script);
        ScriptWindow* s = preview().scriptWindow();
        finish(*s);
        return *s;
    }
    static void finish(ScriptWindow& s) {
        s.run().wait();
        QCoreApplication::sendPostedEvents();
    }
    static QStringList lines(const ScriptWindow& s) {
        QStringList out;
        for (std::size_t k = 0; k < s.strings().shown(); ++k) out << s.strings().line(k);
        return out;
    }
};

const QString kHello = "300 (12C hex)  Hello";
const QString kWorld = "600 (258 hex)  World";
const QString kGoodbye = "800 (320 hex)  Goodbye";

TEST(ScriptWindow, ListsTheFileStringsThroughThePreviewTable) {
    Scripted h;
    ScriptWindow& s = h.script();
    EXPECT_TRUE(s.isVisible());
    EXPECT_TRUE(s.isWindow());
    EXPECT_EQ(s.windowTitle(), "Script - Kinfold Search");
    EXPECT_EQ(s.FileName->text(), h.rom);
    EXPECT_EQ(Scripted::lines(s), (QStringList{kHello, kWorld, kGoodbye}));
    EXPECT_EQ(s.Count->text(), "3 strings");
    EXPECT_EQ(s.Progress->value(), s.Progress->maximum());
    EXPECT_FALSE(s.StopButton->isEnabled());
    // Screen readers see a list of its lines.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(s.Strings);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(2)->text(QAccessible::Name), kGoodbye);
    // One window: a second click shows the same one.
    click(h.preview().Script);
    EXPECT_EQ(h.preview().scriptWindow(), &s);
    EXPECT_TRUE(h.messages.shown.empty());
}

struct FilterCase {
    const char* name;
    const char* typed;
    int minLength;
    QStringList lines;
    const char* count;
};

class ScriptFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(ScriptFilter, NarrowsTheList) {
    const FilterCase& c = GetParam();
    Scripted h;
    ScriptWindow& s = h.script();
    if (c.minLength != s.MinLength->value()) {
        s.MinLength->setValue(c.minLength);  // runs the dump again
        Scripted::finish(s);
    }
    type(s.Filter, c.typed);  // key by key: the list narrows at each
    EXPECT_EQ(Scripted::lines(s), c.lines);
    EXPECT_EQ(s.Count->text(), c.count);
    s.Filter->clear();
    EXPECT_EQ(s.strings().shown(), s.strings().found());
}

INSTANTIATE_TEST_SUITE_P(
    ScriptWindow, ScriptFilter,
    testing::Values(FilterCase{"IgnoresCase", "LL", 4, {kHello}, "1 of 3 strings"},
                    FilterCase{"KeepsEveryMatch", "o", 4, {kHello, kWorld, kGoodbye}, "3 of 3 strings"},
                    FilterCase{"CanMatchNothing", "xyz", 4, {}, "0 of 3 strings"},
                    FilterCase{"EmptyShowsAll", "", 4, {kHello, kWorld, kGoodbye}, "3 strings"},
                    FilterCase{"MinimumLengthRunsAgain", "", 6, {kGoodbye}, "1 string"},
                    FilterCase{
                        "MinimumLengthBelowAll", "", 3, {kHello, kWorld, "700 (2BC hex)  abc", kGoodbye}, "4 strings"}),
    [](const testing::TestParamInfo<FilterCase>& info) { return std::string(info.param.name); });

TEST(ScriptWindow, EnterOrDoubleClickShowsTheStringInThePreview) {
    Scripted h;
    ScriptWindow& s = h.script();
    const auto cursorRow = [&h] { return h.preview().HexView->textCursor().block().text().left(8); };
    s.Strings->setFocus();
    s.Strings->setCurrentIndex(s.Strings->model()->index(2, 0));
    QTest::keyClick(s.Strings, Qt::Key_Return);
    EXPECT_EQ(cursorRow(), "00000320");
    EXPECT_TRUE(h.preview().HexView->toPlainText().startsWith("00000220"));  // 256 bytes before
    // The string is what the preview marks and names now, as it does a hit.
    EXPECT_EQ(h.preview().Offset->text(), "800 (320 hex), a string of 7 bytes");
    const QList<QTextEdit::ExtraSelection> marked = h.preview().TextView->extraSelections();
    ASSERT_EQ(marked.size(), 1);
    EXPECT_EQ(marked[0].cursor.selectedText(), "Goodbye");
    EXPECT_EQ(h.preview().HexView->extraSelections().size(), 14);  // 7 bytes and their 7 characters
    const QPoint at = s.Strings->visualRect(s.Strings->model()->index(1, 0)).center();
    // As the system delivers a double-click: press, release, press, double-click, release.
    QWidget* list = s.Strings->viewport();
    QTest::mouseClick(list, Qt::LeftButton, {}, at);
    QTest::mousePress(list, Qt::LeftButton, {}, at);
    QTest::mouseDClick(list, Qt::LeftButton, {}, at);
    QTest::mouseRelease(list, Qt::LeftButton, {}, at);
    EXPECT_EQ(cursorRow(), "00000250");
}

TEST(ScriptWindow, CopyAndSaveWriteTheLinesAsTheDumpPrintsThem) {
    Scripted h;
    ScriptWindow& s = h.script();
    type(s.Filter, "o");
    s.Strings->setFocus();
    s.Strings->setCurrentIndex(s.Strings->model()->index(0, 0));
    QTest::keyClick(s.Strings, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(s.Strings, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), kHello + "\n" + kWorld);

    type(s.Filter, "odb");  // the filter leaves the saved script whole
    const QString saved = h.folder.path("game script.txt");
    h.files.paths = {saved};
    click(s.SaveScript);
    EXPECT_EQ(TestFolder::read(saved), "300 (12C hex)  Hello\n600 (258 hex)  World\n800 (320 hex)  Goodbye\n");
    ASSERT_EQ(h.files.uses.size(), 1u);
    EXPECT_EQ(h.files.uses[0].use, FileChooser::Use::Save);
    EXPECT_EQ(h.files.uses[0].proposedName, h.folder.path("rom.txt"));
    EXPECT_EQ(h.files.uses[0].filter, "Text Files (*.txt)|*.txt|All files (*.*)|*.*");
    EXPECT_TRUE(h.messages.shown.empty());
}

// A file already there is replaced only when the user says Yes; No (the default) keeps it.
TEST(ScriptWindow, SaveAsksBeforeReplacingAFile) {
    Scripted h;
    ScriptWindow& s = h.script();
    const QString saved = h.folder.write("rom.txt", "hand-made notes\n");
    for (const int answer : {kAnswerNo, kAnswerYes}) {
        h.files.paths = {saved};
        h.messages.answers = {answer};
        click(s.SaveScript);
        ASSERT_EQ(h.messages.shown.size(), answer == kAnswerNo ? 1u : 2u);
        EXPECT_EQ(h.messages.shown.back().text, "\"rom.txt\" already exists. Do you want to replace it?");
        EXPECT_EQ(h.messages.shown.back().style, kStyleReplaceQuestion);
        EXPECT_EQ(TestFolder::read(saved),
                  answer == kAnswerNo ? "hand-made notes\n" : kHello + "\n" + kWorld + "\n" + kGoodbye + "\n");
    }
}

// Escape closes an open list first, and the window only when nothing is open.
TEST(ScriptWindow, EscapeClosesAnOpenListBeforeTheWindow) {
    Scripted h;
    ScriptWindow& s = h.script();
    s.CountPointers->showPopup();
    QWidget* list = s.CountPointers->view();
    ASSERT_TRUE(list->isVisible());
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(list->isVisible());
    EXPECT_TRUE(s.isVisible());
    s.Strings->setFocus();
    QTest::keyClick(s.Strings, Qt::Key_Escape);
    EXPECT_FALSE(s.isVisible());
}

TEST(ScriptWindow, FailedSaveLeavesNothingAndSaysWhy) {
    struct Case {
        const char* name;
        QString path;
        QString reason;
    };
    Scripted h;
    ScriptWindow& s = h.script();
    const Case cases[] = {
        {"FullDisk", "/dev/full", "No space left on device"},
        {"MissingFolder", h.folder.path("none/game.txt"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        h.messages.shown.clear();
        h.files.paths = {c.path};
        click(s.SaveScript);
        ASSERT_EQ(h.messages.shown.size(), 1u) << c.name;
        EXPECT_TRUE(h.messages.shown[0].text.startsWith("Can't save the script \"" + c.path + "\": ")) << c.name;
        EXPECT_TRUE(h.messages.shown[0].text.contains(c.reason, Qt::CaseInsensitive))
            << h.messages.shown[0].text.toStdString();
    }
    EXPECT_EQ(QDir(h.folder.path(".")).entryList(QDir::Files), QStringList{"rom.bin"});
}

TEST(ScriptWindow, FileGoneSaysSoNamingIt) {
    Scripted h;
    QFile::remove(h.rom);
    ScriptWindow& s = h.script();
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_TRUE(h.messages.shown[0].text.contains("\"" + h.rom + "\"")) << h.messages.shown[0].text.toStdString();
    EXPECT_EQ(s.strings().found(), 0u);
    EXPECT_FALSE(s.SaveScript->isEnabled());
}

TEST(ScriptWindow, StopEndsTheDumpAfterTheBlockItIsOn) {
    Scripted h;
    ScriptWindow& s = h.script();
    std::binary_semaphore stopClicked(0);
    s.run().blockSize = 64;  // 16 blocks; the strings start at 300
    s.run().afterBlock = [&stopClicked] { stopClicked.acquire(); };
    s.MinLength->setValue(5);  // runs the dump again, which waits after its first block
    EXPECT_TRUE(s.StopButton->isEnabled());
    EXPECT_FALSE(s.SaveScript->isEnabled());
    click(s.StopButton);
    stopClicked.release();
    Scripted::finish(s);
    EXPECT_FALSE(s.running());
    EXPECT_EQ(s.strings().found(), 0u);
    EXPECT_EQ(s.Count->text(), "0 strings, stopped before the end of the file");
    EXPECT_LT(s.Progress->value(), s.Progress->maximum());
    EXPECT_FALSE(s.StopButton->isEnabled());
    // "Script..." again lists the whole file.
    s.run().afterBlock = {};
    click(h.preview().Script);
    Scripted::finish(s);
    EXPECT_EQ(Scripted::lines(s), (QStringList{kHello, kWorld, kGoodbye}));
}

TEST(ScriptWindow, ClosingTheMainWindowClosesIt) {
    Scripted h;
    ScriptWindow& s = h.script();
    h.messages.answers = {kAnswerNo};  // don't save the values
    EXPECT_TRUE(h.w().close());
    EXPECT_FALSE(s.isVisible());
}

}  // namespace
}  // namespace kinfold::test
