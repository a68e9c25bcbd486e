#include "TestFiles.h"

#include "files/DialogFilter.h"
#include "shell/platform/Clock.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace kinfold::test {
namespace {

// Runs `act` on the modal window that `open` brings up, once it is up.
template <typename W>
void whenModalShows(const std::function<void(W*)>& act) {
    QTimer::singleShot(0, [act] {
        W* window = qobject_cast<W*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr) << "no modal window is showing";
        act(window);
    });
}

// ---- Message boxes ------------------------------------------------------------

struct BoxCase {
    const char* name;
    int style;
    std::function<void(QMessageBox*)> act;
    int answer;
    QMessageBox::Icon icon;
    int buttons;
};

class RealMessageBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(RealMessageBox, ShowsItsStyleAndGivesTheClassicAnswer) {
    const BoxCase& c = GetParam();
    QtMessageBoxes boxes;
    bool seen = false;
    whenModalShows<QMessageBox>([&](QMessageBox* box) {
        seen = true;
        EXPECT_EQ(box->windowTitle(), "Kinfold Search");
        EXPECT_EQ(box->text(), "Some text");
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(box->buttons().size(), c.buttons);
        // The first button is the default.
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton(), box->button(c.buttons == 1 ? QMessageBox::Ok : QMessageBox::Yes));
        c.act(box);
    });
    EXPECT_EQ(boxes.show("Some text", c.style), c.answer);
    EXPECT_TRUE(seen);
}

void press(QMessageBox* box, Qt::Key key) { QTest::keyClick(box, key); }

INSTANTIATE_TEST_SUITE_P(
    Table, RealMessageBox,
    ::testing::Values(
        BoxCase{"NoticeEnter", 64, [](QMessageBox* b) { press(b, Qt::Key_Return); }, 1, QMessageBox::Information, 1},
        BoxCase{"NoticeEscape", 64, [](QMessageBox* b) { press(b, Qt::Key_Escape); }, 1, QMessageBox::Information, 1},
        BoxCase{"SaveEnterIsYes", 67, [](QMessageBox* b) { press(b, Qt::Key_Return); }, 6, QMessageBox::Information, 3},
        BoxCase{"SaveNo", 67, [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }, 7, QMessageBox::Information,
                3},
        BoxCase{"SaveCancel", 67, [](QMessageBox* b) { b->button(QMessageBox::Cancel)->click(); }, 2,
                QMessageBox::Information, 3},
        BoxCase{"SaveEscapeIsCancel", 67, [](QMessageBox* b) { press(b, Qt::Key_Escape); }, 2, QMessageBox::Information,
                3},
        BoxCase{"SaveClosedIsCancel", 67, [](QMessageBox* b) { b->close(); }, 2, QMessageBox::Information, 3},
        BoxCase{"QuitEnterIsYes", 36, [](QMessageBox* b) { press(b, Qt::Key_Return); }, 6, QMessageBox::Question, 2},
        BoxCase{"QuitNo", 36, [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }, 7, QMessageBox::Question, 2},
        BoxCase{"QuitEscapeIsNo", 36, [](QMessageBox* b) { press(b, Qt::Key_Escape); }, 7, QMessageBox::Question, 2},
        BoxCase{"QuitClosedIsNo", 36, [](QMessageBox* b) { b->close(); }, 7, QMessageBox::Question, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RealMessageBoxOwner, ABoxOverADisabledWindowStaysAnswerable) {
    QWidget owner;
    owner.show();
    owner.setEnabled(false);
    QtMessageBoxes boxes(&owner);
    whenModalShows<QMessageBox>([](QMessageBox* box) {
        EXPECT_TRUE(box->isEnabled());
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(boxes.show("Read error", 64), 1);
}

// ---- File chooser -------------------------------------------------------------

TEST(RealFileChooser, OpenDialogHasTheTitleFiltersAndNoProposedName) {
    QtFileChooser chooser;
    whenModalShows<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Kinfold Search");
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->nameFilters(), qtNameFilters(kRomFileFilter));
        EXPECT_TRUE(dialog->testOption(QFileDialog::HideNameFilterDetails));
        dialog->reject();
    });
    EXPECT_EQ(chooser.choose(FileChooser::Use::Open, kRomFileFilter), QString());
}

// Types a full path into the dialog's name box and presses Enter, as a user does.
void typeFileName(QFileDialog* dialog, const QString& path) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QString());  // no name proposed
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
    if (dialog->isVisible()) {
        dialog->reject();  // never leave a dialog open for the next test
        FAIL() << "the dialog did not take " << path.toStdString();
    }
}

TEST(RealFileChooser, GivesBackTheChosenFullPath) {
    TestFolder folder;
    const QString rom = folder.write("game.gb", QByteArray("\x01\x02", 2));
    QtFileChooser chooser;
    whenModalShows<QFileDialog>([&](QFileDialog* dialog) { typeFileName(dialog, rom); });
    EXPECT_EQ(chooser.choose(FileChooser::Use::Open, kRomFileFilter), rom);

    // Saving: the writer replaces an existing file, so the dialog doesn't ask.
    whenModalShows<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->nameFilters(), qtNameFilters(kValuesFileFilter));
        typeFileName(dialog, folder.path("pattern.ksv"));
    });
    EXPECT_EQ(chooser.choose(FileChooser::Use::Save, kValuesFileFilter), folder.path("pattern.ksv"));
}

// ---- Date and time of a search ------------------------------------------------------

struct ClockCase {
    const char* locale;
    const char* date;
    const char* time;
};

class SearchClockText : public ::testing::TestWithParam<ClockCase> {};

TEST_P(SearchClockText, ShortDateAndTimeWithSeconds) {
    const QDateTime when(QDate(2026, 3, 14), QTime(21, 26, 53));
    const QLocale locale(QString::fromLatin1(GetParam().locale));
    EXPECT_EQ(searchDateText(when, locale), QString::fromUtf8(GetParam().date));
    EXPECT_EQ(searchTimeText(when, locale), QString::fromUtf8(GetParam().time));
}

INSTANTIATE_TEST_SUITE_P(Table, SearchClockText,
                         ::testing::Values(ClockCase{"en_US", "3/14/26", "9:26:53 PM"},
                                           ClockCase{"en_GB", "14/03/2026", "21:26:53"},
                                           ClockCase{"de_DE", "14.03.26", "21:26:53"},
                                           ClockCase{"ja_JP", "2026/03/14", "21:26:53"},
                                           ClockCase{"C", "14 Mar 2026", "21:26:53"}),
                         [](const auto& info) { return std::string(info.param.locale); });

}  // namespace
}  // namespace kinfold::test
