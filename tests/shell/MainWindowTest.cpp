#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/main/Form1.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <gtest/gtest.h>

namespace kinfold::test {
namespace {

// ---- The window right after start ----------------------------------------------

TEST(MainWindow, TitleSizeAndFlags) {
    Harness h;
    Form1& w = h.w();
    EXPECT_EQ(w.windowTitle(), "Kinfold Search");
    EXPECT_EQ(w.size(), QSize(329, 299));
    EXPECT_EQ(w.minimumSize(), QSize(329, 299));
    EXPECT_EQ(w.maximumSize(), QSize(329, 299));
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

struct ControlCase {
    const char* name;
    const char* kind;
    const char* text;
    QRect geometry;
    bool visible;
    bool enabled;
};

class InitialControl : public ::testing::TestWithParam<ControlCase> {};

QString textOf(QWidget* widget) {
    if (auto* b = qobject_cast<QAbstractButton*>(widget)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(widget)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(widget)) return l->text();
    if (auto* c = qobject_cast<QComboBox*>(widget)) return c->currentText();
    return QString();
}

TEST_P(InitialControl, HasItsNameKindTextGeometryAndState) {
    Harness h;
    Form1& w = h.w();
    w.show();
    const ControlCase& c = GetParam();
    auto* widget = w.findChild<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_NE(widget, nullptr) << c.name;
    EXPECT_TRUE(widget->inherits(c.kind)) << widget->metaObject()->className();
    EXPECT_EQ(textOf(widget), QString::fromUtf8(c.text));
    EXPECT_EQ(widget->geometry(), c.geometry);
    EXPECT_EQ(widget->isVisible(), c.visible);
    EXPECT_EQ(widget->isEnabled(), c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Table, InitialControl,
    ::testing::Values(ControlCase{"BitMode", "QComboBox", "8-bit", {256, 56, 65, 21}, false, true},
                      ControlCase{"SaveResults", "QPushButton", "Save Results", {168, 256, 73, 17}, true, true},
                      ControlCase{"AddStr", "QPushButton", "Add String", {8, 80, 73, 17}, false, true},
                      ControlCase{"Picture1", "QFrame", "", {8, 32, 57, 41}, true, true},
                      ControlCase{"OptString", "QRadioButton", "String:", {0, 24, 57, 17}, true, true},
                      ControlCase{"OptValues", "QRadioButton", "Values:", {0, 0, 57, 17}, true, true},
                      ControlCase{"EnterStr", "QLineEdit", "", {72, 56, 249, 19}, true, false},
                      ControlCase{"About", "QPushButton", "About", {248, 256, 73, 17}, true, true},
                      ControlCase{"OpenVals", "QPushButton", "Open Values", {88, 256, 73, 17}, true, true},
                      ControlCase{"SaveVals", "QPushButton", "Save Values", {8, 256, 73, 17}, true, true},
                      ControlCase{"DelVal", "QPushButton", "Delete Value", {88, 80, 73, 17}, true, true},
                      ControlCase{"StopS", "QPushButton", "Stop", {280, 104, 41, 17}, true, true},
                      ControlCase{"ValuesList", "QListWidget", "", {8, 144, 153, 108}, true, true},
                      ControlCase{"OpenFile", "QPushButton", "Open File", {264, 8, 57, 17}, true, true},
                      ControlCase{"Results", "kinfold::ResultsView", "", {168, 144, 153, 108}, true, true},
                      ControlCase{"NumVals", "QLineEdit", "0", {104, 104, 57, 19}, true, true},
                      ControlCase{"Search", "QPushButton", "Kinfold Search", {168, 104, 105, 17}, true, true},
                      ControlCase{"Ascii", "QRadioButton", "Ascii Character", {232, 32, 97, 17}, true, true},
                      ControlCase{"Reset", "QPushButton", "Reset Values", {248, 80, 73, 17}, true, true},
                      ControlCase{"SkipVal", "QPushButton", "Skip Value", {168, 80, 73, 17}, true, true},
                      ControlCase{"AddVal", "QPushButton", "Add Value", {8, 80, 73, 17}, true, true},
                      ControlCase{"HexB", "QRadioButton", "Hex", {184, 32, 57, 17}, true, true},
                      ControlCase{"DecimalB", "QRadioButton", "Decimal", {120, 32, 65, 17}, true, true},
                      ControlCase{"EnterVal", "QLineEdit", "", {72, 32, 41, 19}, true, true},
                      ControlCase{"RomFile", "QLineEdit", "", {48, 8, 209, 19}, true, true},
                      ControlCase{"AmountDone", "QLabel", "Tessarine Version 1.2", {8, 280, 313, 17}, true, true},
                      ControlCase{"Label5", "QLabel", "Values:", {8, 128, 153, 17}, true, true},
                      ControlCase{"Label4", "QLabel", "Results:", {168, 128, 153, 17}, true, true},
                      ControlCase{"Label3", "QLabel", "Number of values:", {8, 104, 89, 17}, true, true},
                      ControlCase{"Label1", "QLabel", "Rom:", {8, 8, 33, 17}, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindow, OpensCentredOnTheScreenAndStaysWhereItIsPut) {
    Harness h;
    Form1& w = h.w();
    w.show();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Within a pixel or two: the frame the window system adds may be known only after showing.
    EXPECT_LE(std::abs(w.frameGeometry().center().x() - screenCentre.x()), 2) << w.frameGeometry().x();
    EXPECT_LE(std::abs(w.frameGeometry().center().y() - screenCentre.y()), 2) << w.frameGeometry().y();
    w.hide();
    w.move(10, 20);
    w.show();  // only the first showing centres it
    EXPECT_EQ(w.pos(), QPoint(10, 20));
}

TEST(MainWindow, ProgramVersionRecordAndIcon) {
    EXPECT_EQ(QCoreApplication::applicationVersion(), "1.02");
    EXPECT_EQ(QCoreApplication::applicationName(), "Kinfold Search");
    Harness h;
    EXPECT_EQ(h.w().windowIcon().availableSizes().value(0), QSize(32, 32));
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
}

TEST(MainWindow, StartsInValuesModeWithEmptyPatternAndLists) {
    Harness h;
    Form1& w = h.w();
    EXPECT_TRUE(w.OptValues->isChecked());
    EXPECT_FALSE(w.OptString->isChecked());
    EXPECT_TRUE(w.DecimalB->isChecked());
    EXPECT_FALSE(w.HexB->isChecked());
    EXPECT_FALSE(w.Ascii->isChecked());
    EXPECT_EQ(w.ValuesList->count(), 0);
    EXPECT_EQ(w.Results->model()->rowCount(), 0);
    EXPECT_TRUE(w.NumVals->isReadOnly());
    EXPECT_EQ(w.AmountDone->alignment(), Qt::AlignCenter);
    EXPECT_EQ(w.pattern().count(), 0);
    EXPECT_EQ(w.Picture1->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(w.OptValues->parentWidget(), w.Picture1);
    EXPECT_EQ(w.OptString->parentWidget(), w.Picture1);
}

TEST(MainWindow, FormLoadSetsItsVariables) {
    Harness h;
    Form1& w = h.w();
    EXPECT_TRUE(w.ValuesSaved());
    EXPECT_EQ(w.ValueSize(), 1);
    EXPECT_EQ(w.BitMode->currentIndex(), 0);
    EXPECT_EQ(w.BitMode->count(), 4);
    EXPECT_EQ(w.BitMode->itemText(0), "8-bit");
    EXPECT_EQ(w.BitMode->itemText(1), "16-bit");
    EXPECT_EQ(w.BitMode->itemText(2), "24-bit");
    EXPECT_EQ(w.BitMode->itemText(3), "32-bit");
    EXPECT_FALSE(w.BitMode->isEditable());
    EXPECT_EQ(w.RomBytes()[0], "");
    for (std::size_t i = 1; i <= 1000; ++i) ASSERT_EQ(w.RomBytes()[i], " ") << i;
}

TEST(MainWindow, OptionGroupsAreIndependent) {
    Harness h;
    Form1& w = h.w();
    w.show();
    QTest::mouseClick(w.HexB, Qt::LeftButton);
    EXPECT_TRUE(w.HexB->isChecked());
    EXPECT_FALSE(w.DecimalB->isChecked());
    EXPECT_TRUE(w.OptValues->isChecked());
    EXPECT_FALSE(w.Ascii->isChecked());
    w.OptString->click();
    EXPECT_TRUE(w.OptString->isChecked());
    EXPECT_FALSE(w.OptValues->isChecked());
    EXPECT_TRUE(w.Ascii->isChecked());  // string mode selects "Ascii Character"
    EXPECT_FALSE(w.HexB->isChecked());
    w.OptValues->click();
    EXPECT_TRUE(w.OptValues->isChecked());
    EXPECT_FALSE(w.OptString->isChecked());
    EXPECT_TRUE(w.Ascii->isChecked());
    QTest::mouseClick(w.DecimalB, Qt::LeftButton);
    EXPECT_TRUE(w.DecimalB->isChecked());
    EXPECT_FALSE(w.Ascii->isChecked());
    EXPECT_TRUE(w.OptValues->isChecked());
}

TEST(MainWindow, StringModeSelectsAsciiAlone) {
    Harness h;
    Form1& w = h.w();
    w.show();
    QTest::mouseClick(w.OptString, Qt::LeftButton);
    EXPECT_TRUE(w.Ascii->isChecked());
    EXPECT_FALSE(w.DecimalB->isChecked());
    EXPECT_FALSE(w.HexB->isChecked());
}

TEST(MainWindow, FocusStartsInRomFileAndTabGoesToEnterVal) {
    Harness h;
    Form1& w = h.w();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(QApplication::focusWidget(), w.RomFile);
    QTest::keyClick(w.RomFile, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.EnterVal);
    // Labels never take the focus; the locked count box does.
    for (QLabel* label : w.findChildren<QLabel*>()) EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    EXPECT_NE(w.NumVals->focusPolicy(), Qt::NoFocus);
}

TEST(MainWindow, TabOrderFollowsTheLayoutOrder) {
    Harness h;
    Form1& w = h.w();
    // Every control that takes the focus, in its keyboard order.
    const std::vector<QWidget*> order = {w.RomFile,    w.EnterVal,  w.DecimalB,  w.HexB,     w.AddVal,      w.SkipVal,
                                         w.Reset,      w.Ascii,     w.Search,    w.NumVals,  w.Results,     w.OpenFile,
                                         w.ValuesList, w.StopS,     w.DelVal,    w.SaveVals, w.OpenVals,    w.About,
                                         w.EnterStr,   w.OptValues, w.OptString, w.AddStr,   w.SaveResults, w.BitMode};
    std::vector<QWidget*> chain;
    QWidget* widget = w.RomFile;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->parentWidget() != nullptr &&
            (widget->parentWidget() == &w || widget->parentWidget() == w.Picture1)) {
            chain.push_back(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != w.RomFile && chain.size() < 100);
    ASSERT_EQ(chain.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(chain[i], order[i]) << i << ": " << chain[i]->objectName().toStdString() << " where "
                                      << order[i]->objectName().toStdString() << " belongs";
    }
}

// Every caption must fit inside its control in the control's own font.
TEST(MainWindow, EveryCaptionFitsItsControl) {
    Harness h;
    Form1& w = h.w();
    w.show();
    for (QWidget* widget : w.findChildren<QWidget*>()) {
        const QFontMetrics metrics(widget->font());
        const QString name = widget->objectName();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << name.toStdString();
            EXPECT_LE(metrics.height(), label->height()) << name.toStdString();
        } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(radio);
            const int indicator = radio->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, radio);
            const int spacing = radio->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, radio);
            EXPECT_LE(indicator + spacing + metrics.horizontalAdvance(radio->text()), radio->width())
                << name.toStdString();
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            EXPECT_LE(metrics.horizontalAdvance(button->text()) + margin, button->width()) << name.toStdString();
            EXPECT_LE(metrics.height(), button->height()) << name.toStdString();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_LE(metrics.height(), edit->height()) << name.toStdString();
        }
    }
}

// ---- The search ------------------------------------------------------------------

TEST(Search, NeedsTwoEntriesAndChangesNothingElse) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    QByteArray bytes = filledBytes(100);
    plant(bytes, 10, {1, 2});
    const QString rom = folder.write("rom.bin", bytes);
    addValues(w, {5, 6});
    search(w, rom);
    ASSERT_EQ(resultLines(w), QStringList{"10 (A hex)"});
    const QString date = w.SearchDate();

    QTest::mouseClick(w.Reset, Qt::LeftButton);
    search(w, rom);  // no entries
    addValues(w, {7});
    search(w, rom);  // one entry
    ASSERT_EQ(h.messages.shown.size(), 2u);
    for (const auto& shown : h.messages.shown) {
        EXPECT_EQ(shown.text, "You can't search in a kinfold way unless you have at least two values to search for!");
        EXPECT_EQ(shown.style, 64);
    }
    EXPECT_EQ(resultLines(w), QStringList{"10 (A hex)"});
    EXPECT_EQ(w.SearchDate(), date);
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
    for (QWidget* c : searchControls(w)) EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
}

TEST(Search, ListsEveryMatchInOffsetOrder) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    QByteArray bytes = filledBytes(5000);
    plant(bytes, 0, {40, 45, 35});
    plant(bytes, 255, {200, 205, 195});
    plant(bytes, 4660, {10, 15, 5});
    plant(bytes, 4997, {100, 105, 95});  // ends on the last byte
    const QString rom = folder.write("rom.bin", bytes);
    addValues(w, {65, 70, 60});
    search(w, rom);
    EXPECT_EQ(resultLines(w), (QStringList{"0 (0 hex)", "255 (FF hex)", "4660 (1234 hex)", "4997 (1385 hex)"}));
    EXPECT_TRUE(h.messages.shown.empty());
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
    EXPECT_EQ(w.SearchedText(), rom);
}

TEST(Search, FileShorterThanThePatternAndEmptyFileListNothing) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    addValues(w, {1, 2, 3, 4});
    for (const QByteArray& bytes : {QByteArray("\x01\x02\x03", 3), QByteArray()}) {
        h.events.onPump = [&](int) { EXPECT_EQ(w.AmountDone->text(), "Searching ROM..."); };
        search(w, folder.write("short.bin", bytes));
        EXPECT_EQ(w.Results->model()->rowCount(), 0);
        EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
        EXPECT_TRUE(h.messages.shown.empty());
    }
}

TEST(Search, TwoEntriesWithTheSecondSkippedListEveryOffset) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    addValues(w, {9});
    QTest::mouseClick(w.SkipVal, Qt::LeftButton);
    search(w, folder.write("rom.bin", filledBytes(70000)));
    ASSERT_EQ(w.resultsModel().count(), 69999u);
    EXPECT_EQ(w.resultsModel().line(0), "0 (0 hex)");
    EXPECT_EQ(w.resultsModel().line(69998), "69998 (1116E hex)");
}

TEST(Search, ShowsProgressAtEveryMultipleOf32768InOrder) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    addValues(w, {1, 2});
    QStringList seen;
    h.events.onPump = [&](int) {
        if (seen.isEmpty() || seen.back() != w.AmountDone->text()) seen << w.AmountDone->text();
    };
    search(w, folder.write("rom.bin", filledBytes(100000)));
    EXPECT_EQ(seen, (QStringList{"Searching ROM... 32768 done", "Searching ROM... 65536 done",
                                 "Searching ROM... 98304 done"}));
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
}

TEST(Search, ControlsAreDisabledWhileSearchingAndEnabledAfter) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    w.show();
    addValues(w, {1, 2});
    bool checked = false;
    h.events.onPump = [&](int) {
        if (checked) return;
        checked = true;
        for (QWidget* c : searchControls(w)) EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
        EXPECT_TRUE(w.StopS->isEnabled());
        EXPECT_TRUE(w.About->isEnabled());
        EXPECT_TRUE(w.ValuesList->isEnabled());
        EXPECT_TRUE(w.Results->isEnabled());
        EXPECT_TRUE(w.KeepSearching());
        EXPECT_TRUE(w.searching());
    };
    search(w, folder.write("rom.bin", filledBytes(40000)));
    EXPECT_TRUE(checked);
    for (QWidget* c : searchControls(w)) EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_FALSE(w.searching());
    EXPECT_FALSE(w.BitMode->isVisible());
}

TEST(Search, StopKeepsTheResultsFoundSoFar) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    w.show();
    addValues(w, {3});
    QTest::mouseClick(w.SkipVal, Qt::LeftButton);  // every offset matches
    h.events.onPump = [&](int call) {
        if (call == 2) QTest::mouseClick(w.StopS, Qt::LeftButton);
    };
    const QString rom = folder.write("rom.bin", filledBytes(300000));
    search(w, rom);
    // Stopped after the second slice: the candidates up to 65536 were examined.
    EXPECT_EQ(w.resultsModel().count(), 65536u);
    EXPECT_EQ(w.resultsModel().line(65535), "65535 (FFFF hex)");
    EXPECT_FALSE(w.KeepSearching());
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
    EXPECT_TRUE(h.messages.shown.empty());
    for (QWidget* c : searchControls(w)) EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();

    // Stop while idle changes nothing, and the next search runs in full.
    h.events.onPump = nullptr;
    QTest::mouseClick(w.StopS, Qt::LeftButton);
    EXPECT_EQ(w.resultsModel().count(), 65536u);
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
    search(w, rom);
    EXPECT_EQ(w.resultsModel().count(), 299999u);
}

TEST(Search, RecordsWhatAndWhenItStarted) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    addValues(w, {3, 4});
    h.clock.when = QDateTime(QDate(2027, 1, 2), QTime(23, 4, 5));
    h.events.onPump = [&](int call) {
        h.clock.when = h.clock.when.addSecs(3600);  // time passes during the search
        if (call == 1) w.StopS_Click();
    };
    const QString rom = folder.write("rom.bin", filledBytes(100000));
    search(w, "  " + rom);
    EXPECT_EQ(w.SearchedText(), "  " + rom);
    EXPECT_EQ(w.SearchDate(), QLocale::system().toString(QDate(2027, 1, 2), QLocale::ShortFormat).trimmed());
    EXPECT_TRUE(w.SearchTime().contains("04:05") || w.SearchTime().contains("4:05")) << w.SearchTime().toStdString();
    EXPECT_TRUE(w.SearchTime().contains("05")) << w.SearchTime().toStdString();
    EXPECT_EQ(w.SearchTime(), w.SearchTime().trimmed());
}

TEST(Search, AFileThatShrinksWhileSearchedEndsWithAMessageAndKeepsTheResults) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    addValues(w, {3});
    QTest::mouseClick(w.SkipVal, Qt::LeftButton);  // every offset matches
    // More blocks than the scanner does ahead of the first slice, so that some are read after the shrink.
    const QString rom = folder.write("rom.bin", filledBytes(4 << 20));
    h.events.onPump = [&](int call) {
        if (call == 1) QFile::resize(rom, 40000);
    };
    search(w, rom);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].style, 64);
    EXPECT_TRUE(h.messages.shown[0].text.contains(rom)) << h.messages.shown[0].text.toStdString();
    EXPECT_TRUE(h.messages.shown[0].text.contains("shorter")) << h.messages.shown[0].text.toStdString();
    // What was found before the file shrank stays listed, in order.
    ASSERT_GE(w.resultsModel().count(), 32768u);
    EXPECT_EQ(w.resultsModel().line(32767), "32767 (7FFF hex)");
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
    for (QWidget* c : searchControls(w)) EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
}

struct UnopenableCase {
    const char* name;
    std::function<QString(const TestFolder&)> path;
    const char* reason;
};

class UnopenableRom : public ::testing::TestWithParam<UnopenableCase> {};

TEST_P(UnopenableRom, TellsTheUserAndLeavesTheWindowUsable) {
    TestFolder folder;
    Harness h;
    Form1& w = h.w();
    addValues(w, {1, 2});
    const QByteArray rising("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", 10);
    search(w, folder.write("ok.bin", rising));
    ASSERT_EQ(w.resultsModel().count(), 9u);
    const QString path = GetParam().path(folder);
    search(w, path);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].style, 64);
    EXPECT_TRUE(h.messages.shown[0].text.contains(GetParam().reason)) << h.messages.shown[0].text.toStdString();
    if (!path.isEmpty()) {
        EXPECT_TRUE(h.messages.shown[0].text.contains(path)) << h.messages.shown[0].text.toStdString();
    }
    EXPECT_EQ(w.resultsModel().count(), 0u);  // emptied when the search started
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
    for (QWidget* c : searchControls(w)) EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    search(w, folder.write("ok.bin", rising));
    EXPECT_EQ(w.resultsModel().count(), 9u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnopenableRom,
    ::testing::Values(UnopenableCase{"EmptyName", [](const TestFolder&) { return QString(); }, "no file name"},
                      UnopenableCase{"Missing", [](const TestFolder& f) { return f.path("missing.gb"); },
                                     "no such file"},
                      UnopenableCase{"Folder", [](const TestFolder& f) { return f.path(""); }, "folder"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold::test
