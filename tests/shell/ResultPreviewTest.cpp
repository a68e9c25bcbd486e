#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/preview/EntryDialog.h"
#include "shell/preview/ResultPreview.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace kinfold::test {
namespace {

constexpr int kHit = 300;
constexpr int kShift = -0x20;

// A shown window that searched a ROM holding "Hello" at offset 300 in a
// made-up table where every character code lies 0x20 above its byte.
struct Searched : Harness {
    TestFolder folder;
    QString rom;

    Searched() {
        w().show();
        QByteArray bytes = filledBytes(1024);
        plant(bytes, kHit, {'H' + kShift, 'e' + kShift, 'l' + kShift, 'l' + kShift, 'o' + kShift});
        rom = folder.write("rom.bin", bytes);
        click(w().OptString);
        type(w().EnterStr, "Hello");
        click(w().AddStr);
        search(w(), rom);
    }
    // Double-clicks the first result line as the system delivers it: press,
    // release, then a press and a double-click, then the release.
    ResultPreview* open() {
        QWidget* list = w().Results->viewport();
        const QPoint at = w().Results->visualRect(w().Results->model()->index(0, 0)).center();
        QTest::mouseClick(list, Qt::LeftButton, {}, at);
        QTest::mousePress(list, Qt::LeftButton, {}, at);
        QTest::mouseDClick(list, Qt::LeftButton, {}, at);
        QTest::mouseRelease(list, Qt::LeftButton, {}, at);
        return w().resultPreview();
    }
    void saveTable(const QString& path) {
        files.paths = {path};
        click(w().resultPreview()->SaveTable);
    }
};

// Where the hex digits of a byte lie in the hex view's viewport (the byte's row shown).
QPoint bytePoint(ResultPreview* p, std::uint64_t offset) {
    QTextDocument* document = p->HexView->document();
    const std::uint64_t firstRow = document->firstBlock().text().left(8).toULongLong(nullptr, 16);
    const QTextBlock row = document->findBlockByNumber(static_cast<int>((offset - firstRow) / 16));
    const int column = static_cast<int>(offset % 16);
    QTextCursor at(document);
    at.setPosition(row.position() + 8 + 2 + column * 3 + (column >= 8 ? 1 : 0) + 1);
    return p->HexView->cursorRect(at).center();
}

// Clicks the hex digits of the byte at offset in the preview's hex view.
void clickByte(ResultPreview* p, std::uint64_t offset) {
    QTest::mouseClick(p->HexView->viewport(), Qt::LeftButton, {}, bytePoint(p, offset));
}

QString rowCells(ResultPreview* p, int row) { return p->HexView->toPlainText().split('\n')[row].right(16); }

struct EditCase {
    const char* name;
    std::uint64_t offset;  // the byte clicked
    std::function<void(ResultPreview*)> edit;
    QString chosenByte;  // what the preview says of the chosen byte afterwards
    QString aroundHit;   // the running text from two characters before the hit
    QString hitRow;      // the characters of the hit's row in the hex view
    const char* saved;   // the table file Save Table writes
};

class EditingAByte : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditingAByte, ChangesBothViewsAndTheSavedTable) {
    const EditCase& c = GetParam();
    Searched h;
    ResultPreview* p = h.open();
    click(p->UpperBlock);
    click(p->LowerBlock);
    clickByte(p, c.offset);
    EXPECT_EQ(p->chosenByte(), c.offset);
    c.edit(p);
    EXPECT_EQ(p->ChosenByte->text(), c.chosenByte);
    EXPECT_EQ(p->TextView->toPlainText().mid(256 - 2, 9), c.aroundHit);
    EXPECT_EQ(rowCells(p, 16), c.hitRow);
    EXPECT_TRUE(p->TableSize->text().endsWith(", edited")) << p->TableSize->text().toStdString();
    const QString table = h.folder.path("game.tbl");
    h.saveTable(table);
    EXPECT_EQ(TestFolder::read(table), c.saved);
}

const QString kDots = QString(12, QChar(0xB7));

INSTANTIATE_TEST_SUITE_P(
    Cases, EditingAByte,
    ::testing::Values(
        EditCase{"TypedSpace", 0x12B, [](ResultPreview* p) { QTest::keyClick(p->HexView, Qt::Key_Space, {}); },
                 "Byte 0000012C: 28 = H", "  Hello  ", QString(12, ' ') + "Hell", "28=H\n45=e\n4C=l\n4F=o\nEE= \n"},
        EditCase{"TypedKanaOverTheHit", 0x12E, [](ResultPreview* p) { type(p->HexView, QString::fromUtf8("\u30A2")); },
                 QString::fromUtf8("Byte 0000012F: 4C = \u30A2"),
                 kDots.left(2) + QString::fromUtf8("He\u30A2\u30A2o") + kDots.left(2),
                 kDots + QString::fromUtf8("He\u30A2\u30A2"), "28=H\n45=e\n4C=\u30A2\n4F=o\n"},
        EditCase{"EndToken", 0x12B, [](ResultPreview* p) { click(p->EndToken); }, "Byte 0000012B: EE = end token",
                 "\n\nHello\n\n", QString(12, QChar(0x220E)) + "Hell", "28=H\n45=e\n4C=l\n4F=o\n/EE\n"},
        EditCase{"LineBreak", 0x12B, [](ResultPreview* p) { click(p->LineBreak); }, "Byte 0000012B: EE = line break",
                 "\n\nHello\n\n", QString(12, QChar(0x21B5)) + "Hell", "28=H\n45=e\n4C=l\n4F=o\n*EE\n"},
        EditCase{"RightArrowThenDelete", 0x12B,
                 [](ResultPreview* p) {
                     QTest::keyClick(p->HexView, Qt::Key_Right);
                     QTest::keyClick(p->HexView, Qt::Key_Delete);
                 },
                 "Byte 0000012C: 28, no entry", kDots.left(3) + "ello" + kDots.left(2), kDots + QChar(0xB7) + "ell",
                 "45=e\n4C=l\n4F=o\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultPreview, ATableEditedForOneFileStaysWithIt) {
    Searched h;
    ResultPreview* p = h.open();
    clickByte(p, 0x12B);
    QTest::keyClick(p->HexView, Qt::Key_Space, {});
    ASSERT_EQ(p->TextView->toPlainText().mid(256 - 2, 9), "  Hello  ");
    const QString other = h.folder.write("other.bin", filledBytes(64));
    p->showOffset(other, 0);
    EXPECT_EQ(p->TextView->toPlainText(), QString(64, QChar(0xB7)));
    EXPECT_EQ(p->TableSize->text(), "0 entries");
    p = h.open();
    EXPECT_EQ(p->TextView->toPlainText().mid(256 - 2, 9), "  Hello  ");
    EXPECT_TRUE(p->TableSize->text().endsWith(", edited"));
}

TEST(ResultPreview, TickingABoxKeepsTheViewAtTheHit) {
    Searched h;
    ResultPreview* p = h.open();
    EXPECT_EQ(p->BytesCaption->text(), "&Bytes 0000002C-000003FF:");
    QScrollBar* bar = p->HexView->verticalScrollBar();
    const int first = bar->value();
    const int shown = p->HexView->viewport()->height() / p->HexView->fontMetrics().lineSpacing();
    // The hit's row, 16, in the middle of the view rather than at its top.
    EXPECT_GT(first, 0);
    EXPECT_GT(16, first);
    EXPECT_LT(16, first + shown);
    click(p->DigitBlock);
    EXPECT_EQ(bar->value(), first);
    click(p->Earlier);
    EXPECT_EQ(p->BytesCaption->text(), "&Bytes 00000000-000002FF:");
}

TEST(ResultPreview, ShowsThePlantedWordAndTheShift) {
    Searched h;
    ASSERT_EQ(resultLines(h.w()), QStringList{"300 (12C hex)"});
    ResultPreview* p = h.open();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->isVisible());
    EXPECT_TRUE(p->isWindow());
    EXPECT_EQ(p->windowTitle(), "Result Preview - Kinfold Search");
    EXPECT_EQ(p->FileName->text(), h.rom);
    EXPECT_EQ(p->Offset->text(), "300 (12C hex)");
    EXPECT_EQ(p->PatternText->text(), "Hello");
    EXPECT_EQ(p->Shift->text(), "-32 (-20 hex)");
    EXPECT_FALSE(p->Problem->isVisible());
    const QString dots = QString(12, QChar(0xB7));
    // The text starts 256 bytes before the hit.
    EXPECT_EQ(p->TextView->toPlainText().mid(256 - 2, 9), dots.left(2) + "Hello" + dots.left(2));
    const QStringList rows = p->HexView->toPlainText().split('\n');
    ASSERT_EQ(rows.size(), 62);  // rows 0x20 to 0x3F0: from 256 before the hit to the end of the file
    EXPECT_EQ(rows[16], "00000120  EE EE EE EE EE EE EE EE  EE EE EE EE 28 45 4C 4C  " + dots + "Hell");
    EXPECT_EQ(p->HexView->extraSelections().size(), 10);  // five bytes, five characters
}

TEST(ResultPreview, EnterOpensTheSelectedLineAndAnEditedPatternChangesNothing) {
    Searched h;
    click(h.w().Reset);
    addValues(h.w(), {1, 2});
    h.w().Results->setCurrentIndex(h.w().Results->model()->index(0, 0));
    h.w().Results->setFocus();
    QTest::keyClick(h.w().Results, Qt::Key_Return);
    ASSERT_NE(h.w().resultPreview(), nullptr);
    EXPECT_EQ(h.w().resultPreview()->PatternText->text(), "Hello");
    EXPECT_EQ(h.w().resultPreview()->Shift->text(), "-32 (-20 hex)");
}

TEST(ResultPreview, SaveTableWritesTheCheckedBlocks) {
    Searched h;
    ResultPreview* p = h.open();
    EXPECT_TRUE(p->UpperBlock->isChecked());
    EXPECT_TRUE(p->LowerBlock->isChecked());
    EXPECT_FALSE(p->DigitBlock->isChecked());
    click(p->UpperBlock);
    click(p->LowerBlock);
    const QString table = h.folder.path("game.tbl");
    h.saveTable(table);
    EXPECT_EQ(TestFolder::read(table), "28=H\n45=e\n4C=l\n4F=o\n");
    ASSERT_EQ(h.files.uses.size(), 1u);
    EXPECT_EQ(h.files.uses[0].use, FileChooser::Use::Save);
    EXPECT_EQ(h.files.uses[0].proposedName, h.folder.path("rom.tbl"));
    EXPECT_EQ(h.files.uses[0].filter, "Table Files (*.tbl)|*.tbl|All files (*.*)|*.*");
    EXPECT_EQ(h.files.uses[0].owner, p);  // the dialog comes up over the preview
    EXPECT_TRUE(h.messages.shown.empty());
    // The file is there now: it is replaced only on Yes; No, the default, keeps it.
    click(p->SpaceBlock);  // the space lies at 0x00
    h.messages.answers = {kAnswerNo};
    h.saveTable(table);
    EXPECT_EQ(TestFolder::read(table), "28=H\n45=e\n4C=l\n4F=o\n");
    h.messages.answers = {kAnswerYes};
    h.saveTable(table);
    EXPECT_EQ(TestFolder::read(table), "00= \n28=H\n45=e\n4C=l\n4F=o\n");
    ASSERT_EQ(h.messages.shown.size(), 2u);
    EXPECT_EQ(h.messages.shown[1].text, "\"game.tbl\" already exists. Do you want to replace it?");
    EXPECT_EQ(h.messages.shown[1].style, kStyleReplaceQuestion);
    EXPECT_EQ(h.messages.shown[1].owner, p);
}

TEST(ResultPreview, FailedSaveLeavesNothingAndSaysWhy) {
    struct Case {
        const char* name;
        QString path;
        QString reason;
    };
    Searched h;
    h.open();
    const Case cases[] = {
        {"FullDisk", "/dev/full", "No space left on device"},
        {"MissingFolder", h.folder.path("none/game.tbl"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        h.messages.shown.clear();
        h.saveTable(c.path);
        ASSERT_EQ(h.messages.shown.size(), 1u) << c.name;
        EXPECT_TRUE(h.messages.shown[0].text.startsWith("Can't save the table \"" + c.path + "\": ")) << c.name;
        EXPECT_TRUE(h.messages.shown[0].text.contains(c.reason, Qt::CaseInsensitive))
            << h.messages.shown[0].text.toStdString();
        EXPECT_EQ(h.messages.shown[0].owner, h.w().resultPreview()) << c.name;
    }
    EXPECT_FALSE(QFile::exists(h.folder.path("none")));
}

TEST(ResultPreview, OpenTableMergesOrNamesTheBadLine) {
    Searched h;
    ResultPreview* p = h.open();
    h.files.paths = {h.folder.write("bad.tbl", "EE=_\nEF\n")};
    click(p->OpenTable);
    ASSERT_EQ(h.messages.texts().size(), 1);
    EXPECT_TRUE(h.messages.texts()[0].contains("line 2 is not a table line")) << h.messages.texts()[0].toStdString();
    EXPECT_FALSE(p->TextView->toPlainText().contains('_'));
    h.files.paths = {h.folder.write("good.tbl", "EE=_\n28=X\n")};
    click(p->OpenTable);
    EXPECT_EQ(p->TextView->toPlainText().mid(256 - 2, 9), "__Xello__");
    EXPECT_EQ(p->TableSize->text(), "53 entries, with good.tbl");
}

TEST(ResultPreview, OpenTableTakesEveryKindAndSavesItBack) {
    Searched h;
    ResultPreview* p = h.open();
    // A pair of fillers, an end token with its text after "o", a control that takes the second "l".
    h.files.paths = {h.folder.write("game.tbl", "@game\n# kinds\nEEEE=~\n/4F=!\n$4C=<c>,1\n")};
    click(p->OpenTable);
    EXPECT_TRUE(h.messages.texts().isEmpty());
    // The end token ends a line of the running text.
    EXPECT_EQ(p->TextView->toPlainText().mid(128 - 2, 15), "~~He<c><$4C>!\n~");
    const QString saved = h.folder.path("saved.tbl");
    h.saveTable(saved);
    const QByteArray bytes = TestFolder::read(saved);
    // The file as its user wrote it, then the inferred entries it didn't hold, in the order of their bytes.
    EXPECT_TRUE(bytes.startsWith("@game\n# kinds\nEEEE=~\n/4F=!\n$4C=<c>,1\n21=A\n")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("\n4B=k\n4D=m\n4E=n\n50=p\n")) << bytes.toStdString();
    EXPECT_TRUE(bytes.endsWith("\n5A=z\n")) << bytes.toStdString();
}

// With nothing inferred beyond it (the pattern's own letters) and nothing edited, an opened table saves back byte for
// byte; an edit changes only its own line. Shift JIS is said, and written back as such.
TEST(ResultPreview, AnOpenedTableSavesBackAsWritten) {
    Searched h;
    ResultPreview* p = h.open();
    for (QCheckBox* box : {p->UpperBlock, p->LowerBlock}) click(box);
    const QByteArray written(
        "# \x83\x51\x81\x5B\x83\x80\r\n@quest\r\n(4000h)Start\r\n28=H\r\n\r\n4C=\x82\xA0\r\n45=e\r\n4F=o\r\n");  // Shift
                                                                                                                 // JIS
    h.files.paths = {h.folder.write("game.tbl", written)};
    click(p->OpenTable);
    EXPECT_TRUE(h.messages.texts().isEmpty());
    EXPECT_EQ(p->TableSize->text(), "4 entries, with game.tbl, read as Shift JIS");
    const QString same = h.folder.path("same.tbl");
    h.saveTable(same);
    EXPECT_EQ(TestFolder::read(same), written);
    clickByte(p, 300);  // the hit's "H", at 28
    QTest::keyClick(p->HexView, Qt::Key_J);
    const QString edited = h.folder.path("edited.tbl");
    h.saveTable(edited);
    QByteArray expected = written;
    expected.replace("28=H\r\n", "28=j\r\n");
    EXPECT_EQ(TestFolder::read(edited), expected);
}

TEST(ResultPreview, FileGoneOrChangedSaysSo) {
    struct Case {
        const char* name;
        std::function<void(const QString&)> change;
        QString says;
    };
    const Case cases[] = {
        {"Gone", [](const QString& rom) { QFile::remove(rom); }, "is no longer there"},
        {"Longer",
         [](const QString& rom) {
             QFile f(rom);
             f.open(QIODevice::Append);
             f.write("x");
         },
         "has changed since the search: it had 1024 bytes and now has 1025"},
    };
    for (const Case& c : cases) {
        Searched h;
        c.change(h.rom);
        ResultPreview* p = h.open();
        EXPECT_TRUE(p->Problem->isVisible()) << c.name;
        EXPECT_TRUE(p->Problem->text().contains(c.says)) << p->Problem->text().toStdString();
        EXPECT_TRUE(p->HexView->toPlainText().isEmpty()) << c.name;
        EXPECT_EQ(p->Shift->text(), "unknown");
        EXPECT_FALSE(p->SaveTable->isEnabled());
    }
}

TEST(ResultPreview, EarlierAndLaterMoveThroughTheFile) {
    Searched h;
    ResultPreview* p = h.open();
    const auto firstRow = [p] { return p->HexView->toPlainText().section('\n', 0, 0).left(8); };
    EXPECT_EQ(firstRow(), "00000020");
    click(p->Earlier);
    EXPECT_EQ(firstRow(), "00000000");
    EXPECT_FALSE(p->Earlier->isEnabled());
    EXPECT_EQ(p->HexView->extraSelections().size(), 10);
    click(p->Later);
    EXPECT_EQ(firstRow(), "00000300");  // the last 256 bytes of the file
    EXPECT_FALSE(p->Later->isEnabled());
    EXPECT_TRUE(p->HexView->extraSelections().isEmpty());
    EXPECT_EQ(p->TextView->toPlainText(), QString(256, QChar(0xB7)));
}

TEST(ResultPreview, ClosingTheMainWindowClosesIt) {
    Searched h;
    ResultPreview* p = h.open();
    h.messages.answers = {kAnswerNo};  // don't save the values
    EXPECT_TRUE(h.w().close());
    EXPECT_FALSE(p->isVisible());
}

// The hit's letters alone in the table: 28=H 45=e 4C=l 4F=o.
ResultPreview* openWithLettersOnly(Searched& h) {
    ResultPreview* p = h.open();
    click(p->UpperBlock);
    click(p->LowerBlock);
    // The window's keys (F2, undo and redo) work where it is the active window.
    p->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(p));
    return p;
}

void goTo(ResultPreview* p, const QString& offset) {
    p->GoToOffset->clear();
    type(p->GoToOffset, offset);
    QTest::keyClick(p->GoToOffset, Qt::Key_Return);
}

QString hitText(ResultPreview* p) { return p->TextView->toPlainText().mid(256, 5); }

void press(ResultPreview* p, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(p->HexView, key, modifiers);
}

TEST(ResultPreview, TypingGivesEachCharacterToTheNextByte) {
    Searched h;
    ResultPreview* p = openWithLettersOnly(h);
    clickByte(p, 0x12C);
    type(p->HexView, "the");
    EXPECT_EQ(hitText(p), "theeo");
    EXPECT_EQ(p->chosenByte(), 0x12Fu);
    EXPECT_EQ(p->ChosenByte->text(), "Byte 0000012F: 4C = e");
    // The window's last byte keeps the last character.
    goTo(p, "1023");
    type(p->HexView, "ab");
    EXPECT_EQ(p->chosenByte(), 0x3FFu);
    const QString table = h.folder.path("game.tbl");
    h.saveTable(table);
    EXPECT_EQ(TestFolder::read(table), "28=t\n45=h\n4C=e\n4F=o\nEE=b\n");
}

// The texts of the marks in the hex view, the chosen bytes' after the hit's.
QStringList markedTexts(ResultPreview* p) {
    QStringList out;
    for (const QTextEdit::ExtraSelection& mark : p->HexView->extraSelections()) out << mark.cursor.selectedText();
    return out;
}

TEST(ResultPreview, AChangedStringShowsItsNewBytesUntilTheNextStringIsShown) {
    Searched h;
    ResultPreview* p = openWithLettersOnly(h);
    const QByteArray file = TestFolder::read(h.rom);
    p->showString(kHit);
    p->showChangedString(h.rom, kHit, {'H' + kShift, 'e' + kShift, 'o' + kShift});
    EXPECT_EQ(p->Offset->text(), "300 (12C hex), a string of 5 bytes, changed: 3 bytes");
    QStringList rows = p->HexView->toPlainText().split('\n');
    ASSERT_GT(rows.size(), 17);
    EXPECT_TRUE(rows[16].startsWith("00000120  EE EE EE EE EE EE EE EE  EE EE EE EE 28 45 4F 4C "))
        << rows[16].toStdString();
    EXPECT_EQ(rowCells(p, 16).right(4), "Heol");
    EXPECT_EQ(hitText(p), "Heolo");
    EXPECT_EQ(markedTexts(p), (QStringList{"28", "45", "4F", "H", "e", "o"}));
    EXPECT_EQ(TestFolder::read(h.rom), file);
    p->showString(kHit);
    EXPECT_EQ(p->Offset->text(), "300 (12C hex), a string of 5 bytes");
    rows = p->HexView->toPlainText().split('\n');
    EXPECT_TRUE(rows[16].startsWith("00000120  EE EE EE EE EE EE EE EE  EE EE EE EE 28 45 4C 4C "))
        << rows[16].toStdString();
    EXPECT_EQ(hitText(p), "Hello");
}

TEST(ResultPreview, UndoAndRedoGoThroughTheEditsAStepAtATime) {
    struct Step {
        const char* name;
        std::function<void(ResultPreview*)> act;
        QString text;          // the hit's five characters
        std::uint64_t chosen;  // the byte chosen afterwards
        bool edited;
    };
    const auto undo = [](ResultPreview* p) { press(p, Qt::Key_Z, Qt::ControlModifier); };
    const auto redo = [](ResultPreview* p) { press(p, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); };
    const Step steps[] = {
        {"Typed", [](ResultPreview* p) { type(p->HexView, "the"); }, "theeo", 0x12F, true},
        {"UndoE", undo, "thllo", 0x12E, true},
        {"UndoH", undo, "tello", 0x12D, true},
        {"RedoH", redo, "thllo", 0x12D, true},
        {"LineBreak", [](ResultPreview* p) { click(p->LineBreak); }, "th\n\no", 0x12E, true},
        {"RedoNothingAfterANewEdit", redo, "th\n\no", 0x12E, true},
        {"UndoLineBreak", undo, "thllo", 0x12E, true},
        {"UndoH", undo, "tello", 0x12D, true},
        {"UndoT", undo, "Hello", 0x12C, false},
        {"UndoNothing", undo, "Hello", 0x12C, false},
        {"RedoT", redo, "tello", 0x12C, true},
    };
    Searched h;
    ResultPreview* p = openWithLettersOnly(h);
    clickByte(p, 0x12C);
    for (const Step& s : steps) {
        if (std::string_view(s.name) == "LineBreak") clickByte(p, 0x12E);
        s.act(p);
        EXPECT_EQ(hitText(p), s.text) << s.name;
        EXPECT_EQ(p->chosenByte(), s.chosen) << s.name;
        EXPECT_EQ(p->TableSize->text().endsWith(", edited"), s.edited) << s.name;
    }
}

TEST(ResultPreview, ARunOfBytesTakesOneEntryThroughF2) {
    Searched h;
    ResultPreview* p = openWithLettersOnly(h);
    clickByte(p, 0x12D);
    press(p, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(p->chosenBytes(), 2u);
    EXPECT_EQ(p->ChosenByte->text(), "Bytes 0000012D-0000012E: 45 4C, no entry");
    press(p, Qt::Key_F2);
    EntryDialog* box = p->entryDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->EntryBytes->text(), "45 4C");
    EXPECT_FALSE(box->Buttons->button(QDialogButtonBox::Ok)->isEnabled());  // no text yet
    type(box->EntryText, "ere");
    click(box->Buttons->button(QDialogButtonBox::Ok));
    EXPECT_EQ(p->entryDialog(), nullptr);
    EXPECT_EQ(hitText(p), "Herel");
    EXPECT_EQ(p->ChosenByte->text(), "Bytes 0000012D-0000012E: 45 4C = ere");
    // One byte of the run alone: the entry it decodes in, whole.
    clickByte(p, 0x12E);
    EXPECT_EQ(p->ChosenByte->text(), "Byte 0000012E: 45 4C = ere");
    // A one-byte entry of several characters; Cancel changes nothing.
    clickByte(p, 0x12C);
    click(p->EditEntry);
    type(p->entryDialog()->EntryText, "xx");
    click(p->entryDialog()->Buttons->button(QDialogButtonBox::Cancel));
    EXPECT_EQ(hitText(p), "Herel");
    press(p, Qt::Key_F2);
    type(p->entryDialog()->EntryText, "the");
    QTest::keyClick(p->entryDialog()->EntryText, Qt::Key_Return);
    EXPECT_EQ(p->ChosenByte->text(), "Byte 0000012C: 28 = the");
    const QString table = h.folder.path("game.tbl");
    h.saveTable(table);
    EXPECT_EQ(TestFolder::read(table), "28=the\n45=e\n454C=ere\n4C=l\n4F=o\n");
}

TEST(ResultPreview, ADragChoosesARunOfEightBytesAtMost) {
    Searched h;
    ResultPreview* p = openWithLettersOnly(h);
    QWidget* view = p->HexView->viewport();
    QTest::mousePress(view, Qt::LeftButton, {}, bytePoint(p, 0x12D));
    QTest::mouseMove(view, bytePoint(p, 0x12F));
    QTest::mouseRelease(view, Qt::LeftButton, {}, bytePoint(p, 0x12F));
    EXPECT_EQ(p->ChosenByte->text(), "Bytes 0000012D-0000012F: 45 4C 4C, no entry");
    QTest::mousePress(view, Qt::LeftButton, {}, bytePoint(p, 0x12D));
    QTest::mouseMove(view, bytePoint(p, 0x13E));
    QTest::mouseRelease(view, Qt::LeftButton, {}, bytePoint(p, 0x13E));
    EXPECT_EQ(p->chosenByte(), 0x12Du);
    EXPECT_EQ(p->chosenBytes(), 8u);
}

TEST(ResultPreview, TheEntryLineShowsASpaceByName) {
    Searched h;
    ResultPreview* p = openWithLettersOnly(h);
    clickByte(p, 0x12B);
    type(p->HexView, " ");
    press(p, Qt::Key_Left);
    EXPECT_EQ(p->ChosenByte->text(), "Byte 0000012B: EE = space");
}

TEST(ResultPreview, GoToOffsetMovesAnywhereOrSaysWhyNot) {
    struct Case {
        const char* name;
        const char* text;
        QString caption;  // the bytes shown afterwards
        std::optional<std::uint64_t> chosen;
        QString message;
    };
    const Case cases[] = {
        {"Decimal", "700", "&Bytes 000001BC-000003FF:", 700, {}},
        {"Hex", "0x10", "&Bytes 00000000-0000030F:", 0x10, {}},
        {"LastByte", "0x3FF", "&Bytes 000002FF-000003FF:", 0x3FF, {}},
        {"PastTheEnd", "1024", "&Bytes 0000002C-000003FF:", std::nullopt,
         "Offset 1024 (400 hex) lies past the end of \"%1\": its last byte is at 1023 (3FF hex)."},
        {"NotANumber", "0x3G", "&Bytes 0000002C-000003FF:", std::nullopt,
         "\"0x3G\" is not an offset: give a number in decimal, or in hex after 0x."},
    };
    for (const Case& c : cases) {
        Searched h;
        ResultPreview* p = h.open();
        goTo(p, c.text);
        EXPECT_EQ(p->BytesCaption->text(), c.caption) << c.name;
        EXPECT_EQ(p->chosenByte(), c.chosen) << c.name;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(h.messages.shown.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(h.messages.shown.size(), 1u) << c.name;
        EXPECT_EQ(h.messages.shown[0].text, (c.message.contains("%1") ? c.message.arg(h.rom) : c.message)) << c.name;
        EXPECT_EQ(h.messages.shown[0].owner, p) << c.name;
    }
}

// The letter after a lone "&" of a caption.
QChar mnemonicOf(const QString& caption) {
    for (int i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return caption[i + 1].toLower();
        ++i;
    }
    return {};
}

TEST(ResultPreview, NoLetterServesTwoControls) {
    Searched h;
    ResultPreview* p = h.open();
    QMap<QChar, QString> seen;
    QStringList captions;
    for (const QAbstractButton* b : p->findChildren<QAbstractButton*>()) captions << b->text();
    for (const QLabel* l : p->findChildren<QLabel*>()) captions << l->text();
    for (const QString& caption : captions) {
        const QChar letter = mnemonicOf(caption);
        if (letter.isNull()) continue;
        EXPECT_FALSE(seen.contains(letter)) << caption.toStdString() << " and " << seen[letter].toStdString();
        seen[letter] = caption;
    }
    EXPECT_EQ(seen.size(), 18);
}

}  // namespace
}  // namespace kinfold::test
