#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "WindowDriving.h"
#include "shell/main/ResultsAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace kinfold {
namespace {

using namespace kinfold::test;

// The main window after a search that lists `lines` lines: a file of equal
// bytes and the pattern 5, 5 match at every offset but the last.
struct SearchedWindow {
    Harness h;
    TestFolder folder;
    explicit SearchedWindow(int lines) {
        Form1& w = h.w();
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        addValues(w, {5, 5});
        search(w, folder.write(QStringLiteral("rom.bin"), filledBytes(lines + 1)));
        EXPECT_EQ(w.Results->model()->rowCount(), lines);
        w.Results->setFocus();
    }
    ResultsView* list() { return h.w().Results; }
    QPoint lineCenter(int row) { return list()->visualRect(list()->model()->index(row, 0)).center(); }
    void clickLine(int row, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, keys, lineCenter(row));
    }
    // The line becomes the current and only selected one, as after a click.
    void setCurrent(int row) {
        list()->selectionModel()->setCurrentIndex(list()->model()->index(row, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

// Picks a menu entry as a user does, by its underlined letter.
void choose(QMenu* menu, char letter) {
    ASSERT_TRUE(menu->isVisible());
    QTest::keyClick(menu, static_cast<Qt::Key>(Qt::Key_A + (letter - 'a')));
}

TEST(ResultsActions, TheAccessibleListReadsLikeAListView) {
    SearchedWindow s(1000);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(s.list());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), "Results:");  // from its label
    EXPECT_EQ(list->childCount(), 1000);
    EXPECT_EQ(list->child(1000), nullptr);
    EXPECT_EQ(list->child(-1), nullptr);
    for (int row : {0, 1, 255, 999}) {
        QAccessibleInterface* line = list->child(row);
        ASSERT_NE(line, nullptr) << row;
        EXPECT_EQ(line->text(QAccessible::Name), s.h.w().resultsModel().line(static_cast<std::size_t>(row)));
        EXPECT_EQ(line->role(), QAccessible::ListItem);
        EXPECT_EQ(line->parent(), list);
        EXPECT_EQ(list->indexOfChild(line), row);
        EXPECT_EQ(list->child(row), line) << "the same item while it is kept";
    }
    EXPECT_EQ(list->child(999)->text(QAccessible::Name), "999 (3E7 hex)");

    s.clickLine(2);
    ASSERT_TRUE(s.list()->hasFocus());
    const QAccessible::State on = list->child(2)->state();
    const QAccessible::State off = list->child(3)->state();
    EXPECT_TRUE(on.selected && on.focused && on.selectable && on.focusable);
    EXPECT_FALSE(off.selected || off.focused);
    EXPECT_TRUE(off.selectable && off.focusable);
    EXPECT_TRUE(list->child(999)->state().invisible) << "out of view";
    EXPECT_EQ(list->focusChild(), list->child(2));
    const QPoint onScreen = s.list()->viewport()->mapToGlobal(s.lineCenter(2));
    EXPECT_EQ(list->childAt(onScreen.x(), onScreen.y()), list->child(2));
}

TEST(ResultsActions, AccessibleItemsStayFewAndGoWithTheirSearch) {
    SearchedWindow s(1000);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(s.list());
    const QAccessible::Id first = QAccessible::uniqueId(list->child(0));
    for (int row = 0; row < 1000; ++row) ASSERT_NE(list->child(row), nullptr);
    EXPECT_EQ(dynamic_cast<ResultsAccessible*>(list)->keptLines(), ResultsAccessible::kKeptLines);
    EXPECT_EQ(QAccessible::accessibleInterface(first), nullptr) << "the oldest item was let go";

    const QAccessible::Id last = QAccessible::uniqueId(list->child(999));
    search(s.h.w(), s.folder.write(QStringLiteral("small.bin"), filledBytes(4)));
    EXPECT_EQ(QAccessible::accessibleInterface(last), nullptr) << "items of the old lines are gone";
    EXPECT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(2)->text(QAccessible::Name), "2 (2 hex)");
}

TEST(ResultsActions, KeysMoveTheCurrentLineAndStopAtTheEnds) {
    SearchedWindow s(1000);
    const int page = s.list()->visibleRows();
    struct Case {
        const char* name;
        int from;
        Qt::Key key;
        int to;
    };
    const Case cases[] = {
        {"Down", 500, Qt::Key_Down, 501},
        {"Up", 500, Qt::Key_Up, 499},
        {"Down at the last", 999, Qt::Key_Down, 999},
        {"Up at the first", 0, Qt::Key_Up, 0},
        {"PgDn", 0, Qt::Key_PageDown, page},
        {"PgDn near the last", 998, Qt::Key_PageDown, 999},
        {"PgDn at the last", 999, Qt::Key_PageDown, 999},
        {"PgUp", 999, Qt::Key_PageUp, 999 - page},
        {"PgUp near the first", 1, Qt::Key_PageUp, 0},
        {"End", 0, Qt::Key_End, 999},
        {"End at the last", 999, Qt::Key_End, 999},
        {"Home", 999, Qt::Key_Home, 0},
    };
    for (const Case& c : cases) {
        s.setCurrent(c.from);
        QTest::keyClick(s.list(), c.key);
        EXPECT_EQ(s.list()->currentIndex().row(), c.to) << c.name;
        EXPECT_TRUE(s.list()->visualRect(s.list()->currentIndex()).intersects(s.list()->viewport()->rect())) << c.name;
    }
}

TEST(ResultsActions, CopyPutsTheSelectedLinesOnTheClipboard) {
    SearchedWindow s(1000);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    s.clickLine(4);
    QTest::keyClick(s.list(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), "4 (4 hex)");
    // Lines selected out of order are copied in list order, once each.
    s.clickLine(6, Qt::ShiftModifier);
    s.clickLine(1, Qt::ControlModifier);
    s.clickLine(5, Qt::ControlModifier);  // deselects 5
    QTest::keyClick(s.list(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), "1 (1 hex)\n4 (4 hex)\n6 (6 hex)");
    // Shift+Home from the last line reaches the first, far out of view.
    s.clickLine(0);
    QTest::keyClick(s.list(), Qt::Key_End);
    QTest::keyClick(s.list(), Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(s.list(), Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = clipboardText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 1000);
    EXPECT_EQ(lines.first(), "0 (0 hex)");
    EXPECT_EQ(lines.last(), "999 (3E7 hex)");
    // The menu's hex offsets, as a hex editor's go-to takes them.
    s.setCurrent(250);
    QTest::keyClick(s.list(), Qt::Key_Menu);
    choose(s.list()->contextMenu(), 'o');
    EXPECT_EQ(clipboardText(), "0xFA");
}

TEST(ResultsActions, TooManyLinesAreNotCopiedAndTheUserIsTold) {
    const std::size_t limit = ResultsView::kMaxCopiedLines;
    ResultsModel model;
    std::vector<std::uint64_t> offsets(limit + 1);
    std::iota(offsets.begin(), offsets.end(), std::uint64_t{0});
    model.append(offsets);
    ResultsView view;
    view.setModel(&model);
    ScriptedMessages messages;
    view.setMessages(&messages);
    const auto select = [&](int last) {
        view.selectionModel()->select(QItemSelection(model.index(0), model.index(last)),
                                      QItemSelectionModel::ClearAndSelect);
    };
    select(static_cast<int>(limit) - 1);
    view.copySelection(ResultsView::CopyWhat::HexOffsets);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(clipboardText().count(QLatin1Char('\n')), static_cast<qsizetype>(limit) - 1);
    EXPECT_TRUE(clipboardText().endsWith(QStringLiteral("\n0xF423F")));

    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    select(static_cast<int>(limit));
    view.copySelection(ResultsView::CopyWhat::Lines);
    EXPECT_EQ(clipboardText(), "kept");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].style, kStyleNotice);
    EXPECT_TRUE(messages.shown[0].text.startsWith(QStringLiteral("1000001 lines are selected")))
        << messages.shown[0].text.toStdString();
}

TEST(ResultsActions, DoubleClickEnterAndPreviewActivateTheLine) {
    SearchedWindow s(1000);
    struct Case {
        const char* name;
        int row;
        std::function<void(SearchedWindow&, int)> act;
    };
    const Case cases[] = {
        {"double-click", 3,
         [](SearchedWindow& w, int row) {
             // What a mouse sends: a click, then a second press that is a double-click.
             QWidget* port = w.list()->viewport();
             QTest::mouseClick(port, Qt::LeftButton, Qt::NoModifier, w.lineCenter(row));
             QTest::mouseDClick(port, Qt::LeftButton, Qt::NoModifier, w.lineCenter(row));
             QTest::mouseRelease(port, Qt::LeftButton, Qt::NoModifier, w.lineCenter(row));
         }},
        {"Enter", 999,
         [](SearchedWindow& w, int row) {
             w.setCurrent(row);
             QTest::keyClick(w.list(), Qt::Key_Enter);
         }},
        {"Menu key, Preview", 7,
         [](SearchedWindow& w, int row) {
             w.setCurrent(row);
             QTest::keyClick(w.list(), Qt::Key_Menu);
             choose(w.list()->contextMenu(), 'p');
         }},
        {"Shift+F10, Preview", 0,
         [](SearchedWindow& w, int row) {
             w.setCurrent(row);
             QTest::keyClick(w.list(), Qt::Key_F10, Qt::ShiftModifier);
             choose(w.list()->contextMenu(), 'p');
         }},
        {"right click, Preview clicked", 8,
         [](SearchedWindow& w, int row) {
             QWidget* port = w.list()->viewport();
             QTest::mouseClick(port, Qt::RightButton, Qt::NoModifier, w.lineCenter(row));
             QContextMenuEvent event(QContextMenuEvent::Mouse, w.lineCenter(row), port->mapToGlobal(w.lineCenter(row)));
             QApplication::sendEvent(port, &event);
             QMenu* menu = w.list()->contextMenu();
             ASSERT_TRUE(menu->isVisible());
             QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                               menu->actionGeometry(menu->actions().at(2)).center());
         }},
    };
    for (const Case& c : cases) {
        QSignalSpy activated(s.list(), &QAbstractItemView::activated);
        c.act(s, c.row);
        ASSERT_EQ(activated.size(), 1) << c.name;
        EXPECT_EQ(activated.at(0).at(0).toModelIndex().row(), c.row) << c.name;
        EXPECT_FALSE(s.list()->contextMenu()->isVisible()) << c.name;
    }
}

}  // namespace
}  // namespace kinfold
