#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"

#include "shell/main/AboutForm.h"
#include "shell/main/Form1.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace kinfold::test {
namespace {

constexpr int kYes = 6;
constexpr int kNo = 7;
constexpr int kCancel = 2;

// A shown window and the scripted answers, ready to be closed.
struct Shown : Harness {
    Shown() { w().show(); }
};

TEST(Closing, RightAfterStartAsksTheQuitQuestion) {
    for (const int answer : {kNo, kYes}) {
        Shown h;
        h.messages.answers = {answer};
        EXPECT_EQ(h.w().close(), answer == kYes);
        ASSERT_EQ(h.messages.shown.size(), 1u);
        EXPECT_EQ(h.messages.shown[0].text, "Do you want to quit Kinfold Search?");
        EXPECT_EQ(h.messages.shown[0].style, 36);
        EXPECT_EQ(h.w().ending(), answer == kYes);
        EXPECT_EQ(h.w().isVisible(), answer == kNo);
    }
}

TEST(Closing, NoToTheQuitQuestionKeepsEverything) {
    Shown h;
    Form1& w = h.w();
    addValue(w, "5");
    QTest::mouseClick(w.Reset, Qt::LeftButton);
    addValue(w, "9");
    w.pattern().setSaved(true);  // as after a save
    w.RomFile->setText("rom.gb");
    h.messages.answers = {kNo};
    EXPECT_FALSE(w.close());
    EXPECT_EQ(listLines(w), QStringList{"9"});
    EXPECT_EQ(w.RomFile->text(), "rom.gb");
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.ending());
}

TEST(Closing, UnsavedChangesAskToSaveAndCancelKeepsTheWindow) {
    Shown h;
    Form1& w = h.w();
    addValue(w, "10");
    addValue(w, "20");
    h.messages.answers = {kCancel};
    EXPECT_FALSE(w.close());
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text, "Save the current values?");
    EXPECT_EQ(h.messages.shown[0].style, 67);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.ending());
    EXPECT_EQ(listLines(w), (QStringList{"10", "20 (+10)"}));
    EXPECT_FALSE(w.ValuesSaved());
    EXPECT_TRUE(h.files.uses.empty());
}

TEST(Closing, NoToTheSaveQuestionEndsWithoutSaving) {
    Shown h;
    addValue(h.w(), "10");
    h.messages.answers = {kNo};
    EXPECT_TRUE(h.w().close());
    EXPECT_TRUE(h.w().ending());
    EXPECT_TRUE(h.files.uses.empty());
}

TEST(Closing, YesSavesThenEnds) {
    TestFolder folder;
    Shown h;
    addValue(h.w(), "10");
    addValue(h.w(), "15");
    h.messages.answers = {kYes};
    const QString path = folder.path("kept.ksv");
    h.files.paths = {path};
    EXPECT_TRUE(h.w().close());
    EXPECT_TRUE(h.w().ending());
    ASSERT_EQ(h.files.uses.size(), 1u);
    EXPECT_EQ(h.files.uses[0].use, FileChooser::Use::Save);
    EXPECT_EQ(TestFolder::read(path), QByteArray("2\r\n10,0,0\r\n15,5,1\r\n"));
}

TEST(Closing, YesThenACancelledDialogEndsWithoutAFile) {
    TestFolder folder;
    Shown h;
    addValue(h.w(), "10");
    h.messages.answers = {kYes};
    h.files.paths = {QString()};
    EXPECT_TRUE(h.w().close());
    EXPECT_TRUE(h.w().ending());
    EXPECT_EQ(h.files.uses.size(), 1u);
    EXPECT_EQ(h.messages.shown.size(), 1u);
}

TEST(Closing, YesWithAnEmptyPatternSaysSoAndEnds) {
    Shown h;
    addValue(h.w(), "10");
    QTest::mouseClick(h.w().DelVal, Qt::LeftButton);
    ASSERT_FALSE(h.w().ValuesSaved());
    h.messages.answers = {kYes};
    EXPECT_TRUE(h.w().close());
    EXPECT_EQ(h.messages.texts(), (QStringList{"Save the current values?", "There are no values to save!"}));
    EXPECT_TRUE(h.w().ending());
    EXPECT_TRUE(h.files.uses.empty());
}

// A save that fails because the file can't be written keeps the window open,
// so the pattern is not lost.
TEST(Closing, AFailedSaveAfterYesKeepsTheWindowAndThePattern) {
    for (const QString& path : {QStringLiteral("/proc/kinfold-closing.ksv"), QStringLiteral("/dev/full")}) {
        Shown h;
        Form1& w = h.w();
        addValue(w, "10");
        addValue(w, "7");
        h.messages.answers = {kYes};
        h.files.paths = {path};
        EXPECT_FALSE(w.close()) << path.toStdString();
        ASSERT_EQ(h.messages.shown.size(), 2u);
        EXPECT_TRUE(h.messages.shown[1].text.contains(path)) << h.messages.shown[1].text.toStdString();
        EXPECT_EQ(h.messages.shown[1].style, 64);
        EXPECT_FALSE(w.ending());
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.ValuesSaved());
        EXPECT_EQ(listLines(w), (QStringList{"10", "7 (-3)"}));
        // The user saves elsewhere and then leaves.
        TestFolder folder;
        h.messages.answers = {kYes};
        h.files.paths = {folder.path("elsewhere.ksv")};
        EXPECT_TRUE(w.close());
        EXPECT_EQ(TestFolder::read(folder.path("elsewhere.ksv")), QByteArray("2\r\n10,0,0\r\n7,3,-1\r\n"));
    }
}

TEST(Closing, AfterASaveOrALoadTheQuitQuestionComesBack) {
    TestFolder folder;
    Shown h;
    Form1& w = h.w();
    addValue(w, "10");
    h.files.paths = {folder.path("a.ksv")};
    QTest::mouseClick(w.SaveVals, Qt::LeftButton);
    ASSERT_TRUE(w.ValuesSaved());
    h.messages.answers = {kNo};
    EXPECT_FALSE(w.close());
    EXPECT_EQ(h.messages.shown.back().text, "Do you want to quit Kinfold Search?");

    addValue(w, "11");
    h.messages.answers = {kNo};  // no save before the load
    h.files.paths = {folder.path("a.ksv")};
    QTest::mouseClick(w.OpenVals, Qt::LeftButton);
    ASSERT_TRUE(w.ValuesSaved());
    h.messages.answers = {kNo};
    EXPECT_FALSE(w.close());
    EXPECT_EQ(h.messages.shown.back().text, "Do you want to quit Kinfold Search?");
}

// ---- Closing in the middle of a search --------------------------------------

struct SearchCase {
    const char* name;
    bool changed;  // unsaved changes: the save question instead of the quit question
    int answer;
    bool ends;
};

class ClosingDuringSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(ClosingDuringSearch, WaitsForTheAnswer) {
    const SearchCase& c = GetParam();
    TestFolder folder;
    Shown h;
    Form1& w = h.w();
    addValue(w, "4");
    QTest::mouseClick(w.SkipVal, Qt::LeftButton);  // every offset matches
    if (!c.changed) w.pattern().setSaved(true);
    const QString rom = folder.write("rom.bin", filledBytes(200000));
    std::size_t listedWhenAsked = 0;
    h.events.onPump = [&](int call) {
        if (call == 2) {
            h.messages.onShow = [&](const QString&, int) { listedWhenAsked = w.resultsModel().count(); };
            h.messages.answers = {c.answer};
            h.files.paths = {QString()};
            w.close();
        }
    };
    w.RomFile->setText(rom);
    QTest::mouseClick(w.Search, Qt::LeftButton);
    ASSERT_EQ(h.messages.shown.size(), 1u);
    EXPECT_EQ(h.messages.shown[0].text, c.changed ? "Save the current values?" : "Do you want to quit Kinfold Search?");
    EXPECT_EQ(listedWhenAsked, 65536u);  // the search waited at its second pause
    EXPECT_EQ(w.ending(), c.ends);
    if (c.ends) {
        EXPECT_EQ(w.resultsModel().count(), 65536u);  // stopped where it was
        EXPECT_FALSE(w.isVisible());
    } else {
        EXPECT_EQ(w.resultsModel().count(), 199999u);  // finished normally
        EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(w.Search->isEnabled());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ClosingDuringSearch,
                         ::testing::Values(SearchCase{"QuitNo", false, kNo, false},
                                           SearchCase{"QuitYes", false, kYes, true},
                                           SearchCase{"SaveCancel", true, kCancel, false},
                                           SearchCase{"SaveNo", true, kNo, true},
                                           SearchCase{"SaveYesCancelledDialog", true, kYes, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// With the real event loop running: a close request from the window system,
// handled in the middle of a search, ends the loop at once and the search
// unwinds where it was.
TEST(ClosingInTheEventLoop, YesDuringASearchEndsTheLoopAndTheSearch) {
    TestFolder folder;
    ScriptedMessages messages;
    ScriptedFiles files;
    FixedClock clock;
    // Handles pending events at every pause, and the window system asks the
    // window to close at the third.
    struct ClosingPump : EventPump {
        QWidget* window = nullptr;
        int calls = 0;
        void pump() override {
            if (++calls == 3) QCoreApplication::postEvent(window->windowHandle(), new QCloseEvent);
            QCoreApplication::processEvents();
        }
    } pump;
    Form1 w(Platform{messages, files, pump, clock});
    pump.window = &w;
    w.show();
    addValue(w, "4");
    click(w.SkipVal);  // every offset matches
    w.pattern().setSaved(true);
    messages.answers = {kYes};
    w.RomFile->setText(folder.write("rom.bin", filledBytes(1 << 20)));
    QTimer::singleShot(0, w.Search, &QPushButton::click);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(messages.texts(), QStringList{"Do you want to quit Kinfold Search?"});
    EXPECT_TRUE(w.ending());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.resultsModel().count(), 3u * 32768);  // stopped at the third pause
    EXPECT_EQ(pump.calls, 3);
}

// ---- The About window ------------------------------------------------------------

TEST(AboutWindow, FirstClickCreatesItShowsItAndDisablesTheMainWindow) {
    Shown h;
    Form1& w = h.w();
    EXPECT_EQ(w.aboutForm(), nullptr);
    QTest::mouseClick(w.About, Qt::LeftButton);
    AboutForm* about = w.aboutForm();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(about->isEnabled());
    EXPECT_TRUE(about->Okay->isEnabled());
    EXPECT_FALSE(w.isEnabled());
    EXPECT_EQ(about->windowTitle(), "About Kinfold Search");
    // The main window takes no clicks now.
    QTest::mouseClick(w.SkipVal, Qt::LeftButton);
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(AboutWindow, OkAndTheCloseButtonHideItAndTheSameWindowComesBack) {
    Shown h;
    Form1& w = h.w();
    QTest::mouseClick(w.About, Qt::LeftButton);
    AboutForm* about = w.aboutForm();
    ASSERT_NE(about, nullptr);
    about->move(about->pos() + QPoint(13, 7));
    const QPoint where = about->pos();
    QTest::mouseClick(about->Okay, Qt::LeftButton);
    EXPECT_FALSE(about->isVisible());
    EXPECT_TRUE(w.isEnabled());

    QTest::mouseClick(w.About, Qt::LeftButton);
    EXPECT_EQ(w.aboutForm(), about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->pos(), where);
    EXPECT_FALSE(w.isEnabled());
    EXPECT_FALSE(about->close());  // its own close button only hides it
    EXPECT_FALSE(about->isVisible());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.aboutForm(), about);
    EXPECT_TRUE(h.messages.shown.empty());
}

TEST(AboutWindow, TheMainWindowCannotBeClosedWhileItShows) {
    Shown h;
    Form1& w = h.w();
    QTest::mouseClick(w.About, Qt::LeftButton);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(h.messages.shown.empty());  // no question at all
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.ending());
    QTest::mouseClick(w.aboutForm()->Okay, Qt::LeftButton);
    h.messages.answers = {kYes};
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(w.ending());
}

TEST(AboutWindow, EndingTheProgramTakesTheAboutWindowAwayWithoutItsClosingHandler) {
    for (const bool shownAtTheEnd : {false, true}) {
        Shown h;
        Form1& w = h.w();
        QTest::mouseClick(w.About, Qt::LeftButton);
        AboutForm* about = w.aboutForm();
        QTest::mouseClick(about->Okay, Qt::LeftButton);
        int dismissed = 0;
        QObject::connect(about, &AboutForm::dismissed, [&] { ++dismissed; });
        h.messages.answers = {kYes};
        if (shownAtTheEnd) {
            // Closing from a search while the About window shows: the search
            // pumps events, and the system asks the program to close.
            QTest::mouseClick(w.About, Qt::LeftButton);
            w.setEnabled(true);  // as a session ending would still reach it
        }
        EXPECT_TRUE(w.close());
        EXPECT_TRUE(w.ending());
        EXPECT_FALSE(about->isVisible());
        EXPECT_EQ(dismissed, 0);
    }
}

TEST(AboutWindow, ASearchGoesOnWhileItShowsAndTheMainWindowStaysDisabled) {
    TestFolder folder;
    Shown h;
    Form1& w = h.w();
    addValue(w, "1");
    addValue(w, "2");
    QByteArray bytes = filledBytes(100000);
    plant(bytes, 99990, {7, 8});
    h.events.onPump = [&](int call) {
        if (call == 1) QTest::mouseClick(w.About, Qt::LeftButton);
    };
    w.RomFile->setText(folder.write("rom.bin", bytes));
    QTest::mouseClick(w.Search, Qt::LeftButton);
    EXPECT_EQ(w.resultsModel().count(), 1u);
    EXPECT_EQ(w.resultsModel().line(0), "99990 (18696 hex)");
    EXPECT_FALSE(w.isEnabled());
    EXPECT_TRUE(w.aboutForm()->isVisible());
    EXPECT_EQ(w.AmountDone->text(), "Tessarine Version 1.2");
    EXPECT_TRUE(w.Search->isEnabledTo(&w));  // its controls are enabled again...
    EXPECT_FALSE(w.Search->isEnabled());     // ...but the window is not, until OK
    QTest::mouseClick(w.aboutForm()->Okay, Qt::LeftButton);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(w.Search->isEnabled());
}

}  // namespace
}  // namespace kinfold::test
