#include "shell/main/ResultsModel.h"
#include "shell/main/ResultsView.h"

#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace kinfold {
namespace {

// A results list the size of the window's, over a model of n offsets 0..n-1.
struct ListFixture {
    ResultsModel model;
    ResultsView view;
    explicit ListFixture(std::size_t n) {
        std::vector<std::uint64_t> offsets(n);
        std::iota(offsets.begin(), offsets.end(), std::uint64_t{0});
        model.append(offsets);
        view.setModel(&model);
        view.resize(153, 108);
        view.show();
    }
    int lastRow() const { return model.rowCount() - 1; }
};

TEST(ResultsView, ShowsTheFirstLinesAndScrollsByLines) {
    ListFixture f(1000000);
    EXPECT_EQ(f.view.firstVisibleRow(), 0);
    EXPECT_GE(f.view.visibleRows(), 5);
    EXPECT_EQ(f.view.indexAt(QPoint(5, 1)).row(), 0);
    EXPECT_EQ(f.view.indexAt(QPoint(5, f.view.rowHeight() + 1)).row(), 1);
    EXPECT_EQ(f.view.verticalScrollBar()->maximum(), 1000000 - f.view.visibleRows());
    f.view.verticalScrollBar()->setValue(250);
    EXPECT_EQ(f.view.indexAt(QPoint(5, 1)).data().toString(), "250 (FA hex)");
}

TEST(ResultsView, ScrollsToTheLastLineOfMillions) {
    ListFixture f(16777215);
    f.view.scrollToBottom();
    const int last = f.lastRow();
    EXPECT_EQ(f.view.firstVisibleRow(), last - f.view.visibleRows() + 1);
    const QRect lastRect = f.view.visualRect(f.model.index(last));
    EXPECT_TRUE(f.view.viewport()->rect().contains(lastRect)) << lastRect.y();
    EXPECT_EQ(f.view.indexAt(lastRect.center()).data().toString(), "16777214 (FFFFFE hex)");
    EXPECT_FALSE(f.view.grab().isNull());  // draws only the visible lines
}

TEST(ResultsView, KeyboardMovesTheCurrentLineAndKeepsItVisible) {
    ListFixture f(5000);
    f.view.setFocus();
    f.view.setCurrentIndex(f.model.index(0));
    QTest::keyClick(&f.view, Qt::Key_Down);
    EXPECT_EQ(f.view.currentIndex().row(), 1);
    QTest::keyClick(&f.view, Qt::Key_End);
    EXPECT_EQ(f.view.currentIndex().row(), 4999);
    EXPECT_EQ(f.view.firstVisibleRow(), 5000 - f.view.visibleRows());
    QTest::keyClick(&f.view, Qt::Key_Down);
    EXPECT_EQ(f.view.currentIndex().row(), 4999);
    QTest::keyClick(&f.view, Qt::Key_PageUp);
    EXPECT_EQ(f.view.currentIndex().row(), 4999 - f.view.visibleRows());
    QTest::keyClick(&f.view, Qt::Key_Home);
    EXPECT_EQ(f.view.currentIndex().row(), 0);
    EXPECT_EQ(f.view.firstVisibleRow(), 0);
}

TEST(ResultsView, AClickSelectsOneLine) {
    ListFixture f(100);
    const QPoint third(10, 2 * f.view.rowHeight() + 2);
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, third);
    ASSERT_EQ(f.view.selectionModel()->selectedIndexes().size(), 1);
    EXPECT_EQ(f.view.selectionModel()->selectedIndexes().first().row(), 2);
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 2));
    ASSERT_EQ(f.view.selectionModel()->selectedIndexes().size(), 1);
    EXPECT_EQ(f.view.selectionModel()->selectedIndexes().first().row(), 0);
    // Below the last line there is nothing to select.
    ListFixture few(2);
    QTest::mouseClick(few.view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 80));
    EXPECT_TRUE(few.view.selectionModel()->selectedIndexes().isEmpty());
}

TEST(ResultsView, GrowsAndEmptiesWithItsModel) {
    ListFixture f(3);
    EXPECT_EQ(f.view.verticalScrollBar()->maximum(), 0);
    std::vector<std::uint64_t> more(500);
    std::iota(more.begin(), more.end(), std::uint64_t{3});
    f.model.append(more);
    EXPECT_EQ(f.view.verticalScrollBar()->maximum(), 503 - f.view.visibleRows());
    f.view.scrollToBottom();
    f.model.clear();
    EXPECT_EQ(f.view.verticalScrollBar()->value(), 0);
    EXPECT_EQ(f.view.verticalScrollBar()->maximum(), 0);
    EXPECT_FALSE(f.view.indexAt(QPoint(5, 1)).isValid());
}

TEST(ResultsModel, LinesAreMadeFromOffsets) {
    ResultsModel model;
    const std::vector<std::uint64_t> offsets = {0, 255, 4660, 1048576, 4294967296ULL};
    model.append(offsets);
    EXPECT_EQ(model.count(), 5u);
    EXPECT_EQ(model.line(0), "0 (0 hex)");
    EXPECT_EQ(model.line(1), "255 (FF hex)");
    EXPECT_EQ(model.line(2), "4660 (1234 hex)");
    EXPECT_EQ(model.line(3), "1048576 (100000 hex)");
    EXPECT_EQ(model.line(4), "4294967296 (100000000 hex)");
    EXPECT_EQ(model.index(2).data().toString(), "4660 (1234 hex)");
    std::string out;
    model.appendLine(4, out);
    EXPECT_EQ(out, "4294967296 (100000000 hex)");
    EXPECT_FALSE(model.index(5).data().isValid());
}

}  // namespace
}  // namespace kinfold
