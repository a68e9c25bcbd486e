#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/main/ResultsView.h"
#include "shell/pointers/PointersWindow.h"
#include "shell/preview/ResultPreview.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptRun.h"
#include "shell/script/ScriptWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace kinfold::test {
namespace {

// "Hello" at 0x5234 in bank 1 of a 64 KiB Game Boy ROM, in a table whose
// codes lie 0x20 above the bytes; a gb pointer to it holds 34 52.
constexpr int kHit = 0x5234;
constexpr int kShift = -0x20;

// Bytes with "Hello" planted at kHit.
QByteArray withHello(QByteArray bytes) {
    plant(bytes, kHit, {'H' + kShift, 'e' + kShift, 'l' + kShift, 'l' + kShift, 'o' + kShift});
    return bytes;
}

QByteArray gameBoyBytes() {
    QByteArray bytes = withHello(filledBytes(0x10000));
    plant(bytes, 0x0150, {0x34, 0x52});
    plant(bytes, 0x3FFF, {0x34, 0x52});              // across the edge of bank 0
    plant(bytes, 0x8000, {0x34, 0x52, 0x00, 0x00});  // also a 24- and 32-bit linear pointer
    plant(bytes, 0x9000, {0x34, 0x52, 0x00, 0x08});  // also a gba pointer and a 24-bit linear one
    plant(bytes, 0xC3F1, {0x34, 0x52});
    plant(bytes, 0xFFFE, {0x34, 0x52});  // the file's last two bytes
    return bytes;
}

// The main window's search for "Hello" in a ROM.
struct GameBoyRom : Harness {
    TestFolder folder;
    QString rom;

    explicit GameBoyRom(const QByteArray& bytes = gameBoyBytes()) {
        w().show();
        rom = folder.write("game.gb", bytes);
        click(w().OptString);
        type(w().EnterStr, "Hello");
        click(w().AddStr);
        search(w(), rom);
    }
    // Opens the preview on the hit with Enter.
    ResultPreview& preview() {
        w().Results->setCurrentIndex(w().Results->model()->index(0, 0));
        w().Results->setFocus();
        QTest::keyClick(w().Results, Qt::Key_Return);
        return *w().resultPreview();
    }
    // Opens the preview, then clicks "Find Pointers".
    PointersWindow* findPointers() {
        click(preview().FindPointers);
        PointersWindow* p = w().pointersWindow();
        if (p != nullptr) p->waitUntilSearched();
        return p;
    }
    // Presses a key in a drop-down and waits for the search it starts.
    static void choose(PointersWindow* p, QComboBox* box, Qt::Key key) {
        box->setFocus();
        QTest::keyClick(box, key);
        p->waitUntilSearched();
    }
};

QStringList lines(const PointersWindow* p) {
    QStringList out;
    for (int r = 0; r < p->Pointers->count(); ++r) out << p->Pointers->item(r)->text();
    return out;
}

TEST(PointersWindow, ListsTheGameBoyPointersToTheHit) {
    GameBoyRom h;
    PointersWindow* p = h.findPointers();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->isVisible());
    EXPECT_TRUE(p->isWindow());
    EXPECT_EQ(p->windowTitle(), "Pointers - Kinfold Search");
    EXPECT_EQ(p->FileName->text(), h.rom);
    EXPECT_EQ(p->Target->text(), "21044 (5234 hex)");
    EXPECT_EQ(p->Mapping->currentText(), "gb");
    EXPECT_EQ(p->Width->currentText(), "16 bits");
    EXPECT_FALSE(p->Width->isEnabled());
    // The banks' rule first: Hello lies in bank 1, so only pointers in bank 0, the fixed bank, reach it.
    EXPECT_TRUE(p->SameBank->isEnabled());
    EXPECT_TRUE(p->SameBank->isChecked());
    EXPECT_EQ(lines(p), (QStringList{"336 (150 hex)  34 52  bank 0", "16383 (3FFF hex)  34 52  bank 0"}));
    EXPECT_EQ(p->Status->text(), "2 pointers.");
    click(p->SameBank);
    p->waitUntilSearched();
    EXPECT_EQ(lines(p), (QStringList{"336 (150 hex)  34 52  bank 0", "16383 (3FFF hex)  34 52  bank 0",
                                     "32768 (8000 hex)  34 52  bank 2", "36864 (9000 hex)  34 52  bank 2",
                                     "50161 (C3F1 hex)  34 52  bank 3", "65534 (FFFE hex)  34 52  bank 3"}));
    EXPECT_EQ(p->Status->text(), "6 pointers.");
    click(p->Aligned);  // 3FFF and C3F1 are odd
    p->waitUntilSearched();
    EXPECT_EQ(lines(p), (QStringList{"336 (150 hex)  34 52  bank 0", "32768 (8000 hex)  34 52  bank 2",
                                     "36864 (9000 hex)  34 52  bank 2", "65534 (FFFE hex)  34 52  bank 3"}));
    EXPECT_FALSE(p->StopButton->isEnabled());
    const QWidget* controls[] = {p->FileName, p->Target,   p->Mapping,  p->Width, p->SameBank,
                                 p->Aligned,  p->Pointers, p->Progress, p->Status};
    for (const QWidget* c : controls) {
        EXPECT_FALSE(c->accessibleName().isEmpty()) << c->objectName().toStdString();
    }
    EXPECT_TRUE(h.messages.texts().isEmpty());
    h.messages.answers = {kAnswerNo};  // don't save the values
    EXPECT_TRUE(h.w().close());
    EXPECT_FALSE(p->isVisible());
}

// A pointer chosen in the list is shown in the preview marked as a hit is,
// through the table the preview had for the file: its check boxes and shift stay.
TEST(PointersWindow, ChosenPointerOpensInThePreviewWithItsTableKept) {
    GameBoyRom h;
    ResultPreview& preview = h.preview();
    click(preview.LowerBlock);  // "a-z" off: a choice of the user's
    const QString shift = preview.Shift->text();
    PointersWindow* p = h.findPointers();
    ASSERT_NE(p, nullptr);
    p->Pointers->setFocus();
    p->Pointers->setCurrentRow(0);
    QTest::keyClick(p->Pointers, Qt::Key_Return);
    EXPECT_EQ(preview.Offset->text(), "336 (150 hex), a pointer to 21044 (5234 hex)");
    EXPECT_FALSE(preview.LowerBlock->isChecked());
    EXPECT_TRUE(preview.UpperBlock->isChecked());
    EXPECT_EQ(preview.Shift->text(), shift);
    EXPECT_NE(shift, "unknown");
    const QList<QTextEdit::ExtraSelection> marked = preview.HexView->extraSelections();
    ASSERT_GE(marked.size(), 2);
    EXPECT_EQ(marked[0].cursor.selectedText(), "34");
    EXPECT_EQ(marked[1].cursor.selectedText(), "52");
}

// "Find Pointers" in the script window, and then in the preview, looks for the
// string the script window's list is on, not the hit.
TEST(PointersWindow, FromTheScriptWindowLooksForTheChosenString) {
    QByteArray bytes = gameBoyBytes();
    plant(bytes, 0x6000,
          {'G' + kShift, 'o' + kShift, 'o' + kShift, 'd' + kShift, 'b' + kShift, 'y' + kShift, 'e' + kShift});
    plant(bytes, 0x0200, {0x00, 0x60});
    plant(bytes, 0x0202, {0x34, 0x52});  // its neighbour leads to Hello: a pointer table
    GameBoyRom h(bytes);
    ResultPreview& preview = h.preview();
    click(preview.Script);
    ScriptWindow* s = preview.scriptWindow();
    ASSERT_NE(s, nullptr);
    s->run().wait();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(s->FindPointers->isEnabled());
    std::size_t goodbye = s->strings().shown();
    for (std::size_t k = 0; k < s->strings().shown(); ++k) {
        if (s->strings().line(k) == "24576 (6000 hex)  Goodbye") goodbye = k;
    }
    ASSERT_LT(goodbye, s->strings().shown());
    s->Strings->setCurrentIndex(s->Strings->model()->index(static_cast<int>(goodbye), 0));
    ASSERT_TRUE(s->FindPointers->isEnabled());
    click(s->FindPointers);
    PointersWindow* p = h.w().pointersWindow();
    ASSERT_NE(p, nullptr);
    p->waitUntilSearched();
    EXPECT_EQ(p->Target->text(), "24576 (6000 hex)");
    // 0200's neighbour at 0202 leads to Hello, a string the script window lists.
    EXPECT_EQ(lines(p), QStringList{"512 (200 hex)  00 60  bank 0  in a table"});
    // The string opened in the preview is what its own "Find Pointers" looks for.
    s->Strings->setFocus();
    QTest::keyClick(s->Strings, Qt::Key_Return);
    click(preview.FindPointers);
    p->waitUntilSearched();
    EXPECT_EQ(p->Target->text(), "24576 (6000 hex)");
    EXPECT_EQ(lines(p), QStringList{"512 (200 hex)  00 60  bank 0  in a table"});
}

// The script window counts the pointers to every string under the ROM's
// mapping, and again under another one chosen.
TEST(PointersWindow, TheScriptWindowCountsThePointersToEachString) {
    QByteArray bytes = gameBoyBytes();
    plant(bytes, 0x6000,
          {'G' + kShift, 'o' + kShift, 'o' + kShift, 'd' + kShift, 'b' + kShift, 'y' + kShift, 'e' + kShift});
    plant(bytes, 0x0200, {0x00, 0x60});
    plant(bytes, 0x7000, {'W' + kShift, 'o' + kShift, 'r' + kShift, 'l' + kShift, 'd' + kShift});
    plant(bytes, 0x0300, {0x00, 0x60, 0x00, 0x70});  // a pointer table: Goodbye, World
    GameBoyRom h(bytes);
    click(h.preview().Script);
    ScriptWindow* s = h.preview().scriptWindow();
    ASSERT_NE(s, nullptr);
    s->run().wait();
    QCoreApplication::sendPostedEvents();
    s->waitUntilCounted();
    EXPECT_EQ(s->CountPointers->currentText(), "gb");
    const auto lineAt = [s](const char* offset) {
        for (std::size_t k = 0; k < s->strings().shown(); ++k) {
            if (s->strings().line(k).startsWith(offset)) return s->strings().line(k);
        }
        return QString();
    };
    // The banks' rule first: only the pointers in bank 0, the fixed bank, reach bank 1.
    EXPECT_TRUE(s->SameBank->isChecked());
    EXPECT_EQ(lineAt("21044 "), "21044 (5234 hex)  [2 pointers]  Hello");
    EXPECT_EQ(lineAt("24576 "), "24576 (6000 hex)  [2 pointers]  Goodbye");
    EXPECT_EQ(lineAt("28672 "), "28672 (7000 hex)  [1 pointer]  World");
    EXPECT_TRUE(s->Count->text().endsWith(", pointers counted as gb")) << s->Count->text().toStdString();
    click(s->SameBank);
    s->waitUntilCounted();
    EXPECT_EQ(lineAt("21044 "), "21044 (5234 hex)  [6 pointers]  Hello");
    // In tables: only the two slots at 0300 lead to strings side by side.
    s->CountWhich->setFocus();
    QTest::keyClick(s->CountWhich, Qt::Key_End);
    s->waitUntilCounted();
    EXPECT_EQ(lineAt("21044 "), "21044 (5234 hex)  [no pointer]  Hello");
    EXPECT_EQ(lineAt("24576 "), "24576 (6000 hex)  [1 pointer]  Goodbye");
    EXPECT_EQ(lineAt("28672 "), "28672 (7000 hex)  [1 pointer]  World");
    EXPECT_TRUE(s->Count->text().endsWith(", pointers in tables counted as gb")) << s->Count->text().toStdString();
    QTest::keyClick(s->CountWhich, Qt::Key_Home);
    s->waitUntilCounted();
    // gba pointers hold 08 in their last byte: only the one at 9000 leads to Hello.
    s->CountPointers->setFocus();
    QTest::keyClick(s->CountPointers, Qt::Key_End);
    s->waitUntilCounted();
    EXPECT_EQ(lineAt("21044 "), "21044 (5234 hex)  [1 pointer]  Hello");
    EXPECT_EQ(lineAt("24576 "), "24576 (6000 hex)  [no pointer]  Goodbye");
    QTest::keyClick(s->CountPointers, Qt::Key_Home);
    s->waitUntilCounted();
    EXPECT_EQ(lineAt("21044 "), "21044 (5234 hex)  Hello");
    EXPECT_TRUE(h.messages.texts().isEmpty());
}

// Hello at kHit and Goodbye at 6000, with pointers to Hello in bank 0 at 0150
// and 3FFF alone and at 0202 beside one to Goodbye: only 0202 sits in a table.
struct TickedLines {
    TestFolder folder;
    ScriptedMessages messages;
    PointersWindow window{messages};
    QString rom;
    std::vector<std::vector<std::uint64_t>> told;  // what usedPointersChanged said, in turn

    TickedLines() {
        QByteArray bytes = gameBoyBytes();
        plant(bytes, 0x6000, {'G' + kShift, 'o' + kShift});
        plant(bytes, 0x0200, {0x00, 0x60, 0x34, 0x52});
        rom = folder.write("game.gb", bytes);
        QObject::connect(&window, &PointersWindow::usedPointersChanged,
                         [this](const QString& path, std::uint64_t target, std::vector<std::uint64_t> used) {
                             EXPECT_EQ(path, rom);
                             EXPECT_EQ(target, static_cast<std::uint64_t>(kHit));
                             told.push_back(std::move(used));
                         });
        window.show();
    }
    void find(std::optional<std::vector<std::uint64_t>> used) {
        window.findPointers(rom, kHit, {kHit, 0x6000}, std::move(used));
        window.waitUntilSearched();
    }
    std::vector<bool> ticks() const {
        std::vector<bool> out;
        for (int r = 0; r < window.Pointers->count(); ++r) {
            out.push_back(window.Pointers->item(r)->checkState() == Qt::Checked);
        }
        return out;
    }
};

using Offsets = std::vector<std::uint64_t>;

TEST(PointersWindow, WithNothingChosenTheLinesInATableAreTickedAndTold) {
    TickedLines t;
    t.find(std::nullopt);
    ASSERT_EQ(lines(&t.window), (QStringList{"336 (150 hex)  34 52  bank 0", "514 (202 hex)  34 52  bank 0  in a table",
                                             "16383 (3FFF hex)  34 52  bank 0"}));
    EXPECT_EQ(t.ticks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(t.told, std::vector<Offsets>{Offsets{0x202}});
    EXPECT_EQ(t.window.usedPointers(), Offsets{0x202});
    const QListWidgetItem* line = t.window.Pointers->item(0);
    EXPECT_TRUE(line->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(line->toolTip(), "Use when the string moves");
    EXPECT_EQ(line->data(Qt::AccessibleDescriptionRole).toString(), "Use when the string moves");
    // Another mapping searches again and keeps what was chosen: the gba pointer at 9000 is none of it.
    GameBoyRom::choose(&t.window, t.window.Mapping, Qt::Key_End);
    EXPECT_EQ(lines(&t.window), QStringList{"36864 (9000 hex)  34 52 00 08"});
    EXPECT_EQ(t.ticks(), std::vector<bool>{false});
    EXPECT_EQ(t.told.size(), 1u);
}

TEST(PointersWindow, PointersChosenBeforeAreTheLinesTicked) {
    struct Case {
        const char* name;
        Offsets used;
        std::vector<bool> ticks;
    };
    const Case cases[] = {
        {"NoneEvenInATable", {}, {false, false, false}},
        {"TheFirstAndTheLast", {0x3FFF, 0x150}, {true, false, true}},
        {"OneNotListedIsPassedOver", {0x202, 0x151}, {false, true, false}},
    };
    for (const Case& c : cases) {
        TickedLines t;
        t.find(c.used);
        EXPECT_EQ(t.ticks(), c.ticks) << c.name;
        EXPECT_TRUE(t.told.empty()) << c.name;
    }
}

TEST(PointersWindow, SpaceTicksOrClearsTheCurrentLineAndTellsTheTickedOnes) {
    TickedLines t;
    t.find(Offsets{0x3FFF});
    QListWidget* list = t.window.Pointers;
    list->setFocus();
    ASSERT_EQ(list->currentRow(), 0);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(t.told, std::vector<Offsets>{(Offsets{0x150, 0x3FFF})});
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(t.told, (std::vector<Offsets>{Offsets{0x150, 0x3FFF}, Offsets{0x150}}));
    EXPECT_EQ(t.window.usedPointers(), Offsets{0x150});
    EXPECT_EQ(t.ticks(), (std::vector<bool>{true, false, false}));
}

TEST(PointersWindow, AnotherMappingOrWidthSearchesAgain) {
    GameBoyRom h;
    PointersWindow* p = h.findPointers();
    ASSERT_NE(p, nullptr);
    GameBoyRom::choose(p, p->Mapping, Qt::Key_End);
    EXPECT_EQ(p->Mapping->currentText(), "gba");
    EXPECT_EQ(lines(p), QStringList{"36864 (9000 hex)  34 52 00 08"});
    GameBoyRom::choose(p, p->Mapping, Qt::Key_Home);
    EXPECT_EQ(p->Mapping->currentText(), "linear");
    EXPECT_EQ(p->Width->currentText(), "32 bits");
    EXPECT_EQ(lines(p), QStringList{"32768 (8000 hex)  34 52 00 00"});
    GameBoyRom::choose(p, p->Width, Qt::Key_Up);
    EXPECT_EQ(p->Width->currentText(), "24 bits");
    EXPECT_EQ(lines(p), (QStringList{"32768 (8000 hex)  34 52 00", "36864 (9000 hex)  34 52 00"}));
    EXPECT_EQ(p->Status->text(), "2 pointers.");
}

TEST(PointersWindow, DoubleClickOpensThePreviewAtThePointer) {
    GameBoyRom h;
    PointersWindow* p = h.findPointers();
    ASSERT_NE(p, nullptr);
    click(p->SameBank);  // every pointer, whatever its bank
    p->waitUntilSearched();
    QListWidget* list = p->Pointers;
    const QPoint at = list->visualItemRect(list->item(3)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    ResultPreview* preview = h.w().resultPreview();
    EXPECT_EQ(preview->FileName->text(), h.rom);
    EXPECT_EQ(preview->Offset->text(), "36864 (9000 hex), a pointer to 21044 (5234 hex)");
    EXPECT_FALSE(preview->Problem->isVisible());
    const QStringList rows = preview->HexView->toPlainText().split('\n');
    ASSERT_EQ(rows.size(), 64);  // 256 bytes before the pointer and 768 after
    EXPECT_TRUE(rows[16].startsWith("00009000  34 52 00 08 EE")) << rows[16].toStdString();
    // Enter on a line does the same.
    list->setCurrentRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(preview->Offset->text(), "336 (150 hex), a pointer to 21044 (5234 hex)");
}

TEST(PointersWindow, AValueTheFileHoldsEverywhereListsAHundredThousand) {
    QByteArray bytes;
    for (int i = 0; i < 0x20000; ++i) bytes.append("\x34\x52", 2);  // a gb pointer to kHit at every even offset
    GameBoyRom h(withHello(bytes));
    PointersWindow* p = h.findPointers();
    ASSERT_NE(p, nullptr);
    click(p->SameBank);  // every bank's
    p->waitUntilSearched();
    ASSERT_EQ(p->Pointers->count(), static_cast<int>(PointersWindow::kMostPointers));
    EXPECT_EQ(p->Pointers->item(0)->text(), "0 (0 hex)  34 52  bank 0");
    EXPECT_EQ(p->Status->text(), "Only the first 100000 pointers are listed.");
}

TEST(PointersWindow, AMissingFileIsReported) {
    GameBoyRom h;
    ASSERT_TRUE(QFile::remove(h.rom));
    PointersWindow* p = h.findPointers();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(h.messages.texts(), QStringList{"Can't open the ROM file \"" + h.rom + "\": there is no such file."});
    EXPECT_EQ(p->Pointers->count(), 0);
    EXPECT_EQ(p->Mapping->currentText(), "gb");
}

}  // namespace
}  // namespace kinfold::test
