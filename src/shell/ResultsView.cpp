#include "shell/ResultsView.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace kinfold {

ResultsView::ResultsView(QWidget* parent) : QAbstractItemView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

int ResultsView::rowCount() const { return model() != nullptr ? model()->rowCount(rootIndex()) : 0; }

int ResultsView::rowHeight() const { return fontMetrics().height() + 1; }

int ResultsView::visibleRows() const { return std::max(1, viewport()->height() / rowHeight()); }

int ResultsView::firstVisibleRow() const { return verticalScrollBar()->value(); }

int ResultsView::verticalOffset() const { return firstVisibleRow() * rowHeight(); }

int ResultsView::rowAt(int y) const {
    if (y < 0) {
        return -1;
    }
    const long long row = static_cast<long long>(firstVisibleRow()) + y / rowHeight();
    return row < rowCount() ? static_cast<int>(row) : -1;
}

QRect ResultsView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex()) {
        return {};
    }
    const long long top = (static_cast<long long>(index.row()) - firstVisibleRow()) * rowHeight();
    // Lines far outside the visible area get a rectangle just outside it.
    const int clampedTop = static_cast<int>(std::clamp<long long>(top, -rowHeight(), viewport()->height()));
    return {0, clampedTop, viewport()->width(), rowHeight()};
}

QModelIndex ResultsView::indexAt(const QPoint& point) const {
    const int row = rowAt(point.y());
    return row >= 0 ? model()->index(row, 0, rootIndex()) : QModelIndex();
}

void ResultsView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) {
        return;
    }
    const int row = index.row();
    const int first = firstVisibleRow();
    const int shown = visibleRows();
    switch (hint) {
    case PositionAtTop: verticalScrollBar()->setValue(row); break;
    case PositionAtBottom: verticalScrollBar()->setValue(row - shown + 1); break;
    case PositionAtCenter: verticalScrollBar()->setValue(row - shown / 2); break;
    case EnsureVisible:
        if (row < first) {
            verticalScrollBar()->setValue(row);
        } else if (row >= first + shown) {
            verticalScrollBar()->setValue(row - shown + 1);
        }
        break;
    }
}

QModelIndex ResultsView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int rows = rowCount();
    if (rows == 0) {
        return {};
    }
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : -1;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious: row = current.isValid() ? row - 1 : 0; break;
    case MoveDown:
    case MoveNext: row = row + 1; break;
    case MovePageUp: row = row - visibleRows(); break;
    case MovePageDown: row = row + visibleRows(); break;
    case MoveHome: row = 0; break;
    case MoveEnd: row = rows - 1; break;
    case MoveLeft:
    case MoveRight: break;
    }
    return model()->index(std::clamp(row, 0, rows - 1), 0, rootIndex());
}

void ResultsView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const int rows = rowCount();
    if (rows == 0 || selectionModel() == nullptr) {
        return;
    }
    const QRect r = rect.normalized();
    const int first = std::clamp(rowAt(std::max(0, r.top())), 0, rows - 1);
    int last = rowAt(r.bottom());
    if (last < 0) {
        last = rows - 1;
    }
    selectionModel()->select(QItemSelection(model()->index(first, 0, rootIndex()), model()->index(last, 0, rootIndex())),
                             command);
}

QRegion ResultsView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int first = firstVisibleRow();
    const int last = first + visibleRows();
    for (const QItemSelectionRange& range : selection) {
        const int top = std::max(range.top(), first);
        const int bottom = std::min(range.bottom(), last);
        if (top <= bottom) {
            region += QRect(0, (top - first) * rowHeight(), viewport()->width(), (bottom - top + 1) * rowHeight());
        }
    }
    return region;
}

void ResultsView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int rows = rowCount();
    const int first = firstVisibleRow();
    const int last = std::min(rows - 1, first + visibleRows());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        option.rect = visualRect(index);
        option.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if (selectionModel() != nullptr && selectionModel()->isSelected(index)) {
            option.state |= QStyle::State_Selected;
        }
        if (index == current && hasFocus()) {
            option.state |= QStyle::State_HasFocus;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void ResultsView::resizeEvent(QResizeEvent* event) {
    QAbstractItemView::resizeEvent(event);
    updateGeometries();
}

void ResultsView::scrollContentsBy(int, int) { viewport()->update(); }

void ResultsView::updateGeometries() {
    QScrollBar* bar = verticalScrollBar();
    const int shown = visibleRows();
    bar->setRange(0, std::max(0, rowCount() - shown));
    bar->setSingleStep(1);
    bar->setPageStep(shown);
    QAbstractItemView::updateGeometries();
}

void ResultsView::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    viewport()->update();
}

void ResultsView::reset() {
    QAbstractItemView::reset();
    verticalScrollBar()->setValue(0);
    updateGeometries();
    viewport()->update();
}

}  // namespace kinfold
