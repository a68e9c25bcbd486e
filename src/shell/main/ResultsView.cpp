#include "shell/main/ResultsView.h"

#include "shell/main/ResultsAccessible.h"
#include "shell/main/ResultsModel.h"
#include "shell/platform/MessageBoxes.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <utility>
#include <vector>

namespace kinfold {

ResultsView::ResultsView(QWidget* parent) : QAbstractItemView(parent) {
    installResultsAccessibility();
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    menu_ = new QMenu(this);
    copyAction_ = menu_->addAction(tr("&Copy"), this, [this] { copySelection(CopyWhat::Lines); });
    copyAction_->setShortcut(QKeySequence::Copy);  // shown in the menu; keyPressEvent does the work
    copyOffsetAction_ =
        menu_->addAction(tr("Copy &Offset (hex)"), this, [this] { copySelection(CopyWhat::HexOffsets); });
    previewAction_ = menu_->addAction(tr("&Preview"), this, [this] {
        if (currentIndex().isValid()) {
            emit activated(currentIndex());
        }
    });
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
    // Exact far off screen too, as a selection from a line out of view is
    // made from its rectangle; only lines beyond int's reach are pulled in.
    constexpr long long reach = 1LL << 29;
    const int clampedTop = static_cast<int>(std::clamp<long long>(top, -reach, reach));
    return {0, clampedTop, viewport()->width(), rowHeight()};
}

int ResultsView::nearestRowAt(int y) const {
    const int h = rowHeight();
    const long long steps = y >= 0 ? y / h : -((-static_cast<long long>(y) + h - 1) / h);
    return static_cast<int>(std::clamp<long long>(firstVisibleRow() + steps, 0, rowCount() - 1));
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
    const int first = nearestRowAt(r.top());
    const int last = nearestRowAt(r.bottom());
    selectionModel()->select(
        QItemSelection(model()->index(first, 0, rootIndex()), model()->index(last, 0, rootIndex())), command);
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

void ResultsView::copySelection(CopyWhat what) {
    if (model() == nullptr || selectionModel() == nullptr) {
        return;
    }
    // Ranges may overlap and come in the order they were made: sort and merge
    // them so that each line is copied once, in list order.
    std::vector<std::pair<int, int>> spans;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.parent() == rootIndex()) {
            spans.emplace_back(range.top(), range.bottom());
        }
    }
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<int, int>> merged;
    std::size_t lines = 0;
    for (const auto& span : spans) {
        if (!merged.empty() && span.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, span.second);
        } else {
            merged.push_back(span);
        }
    }
    for (const auto& span : merged) {
        lines += static_cast<std::size_t>(span.second - span.first) + 1;
    }
    if (lines == 0) {
        return;
    }
    if (lines > kMaxCopiedLines) {
        if (messages_ != nullptr) {
            messages_->show(tr("%1 lines are selected, too many to copy: at most %2 lines are copied at once. "
                               "Save Results writes every line to a file.")
                                .arg(lines)
                                .arg(kMaxCopiedLines),
                            kStyleNotice);
        }
        return;
    }
    QString text;
    text.reserve(static_cast<qsizetype>(lines) * 24);
    for (const auto& [first, last] : merged) {
        for (int row = first; row <= last; ++row) {
            if (!text.isEmpty()) {
                text += QLatin1Char('\n');
            }
            const QModelIndex index = model()->index(row, 0, rootIndex());
            if (what == CopyWhat::Lines) {
                text += index.data(Qt::DisplayRole).toString();
            } else {
                text += QLatin1String("0x") +
                        QString::number(index.data(ResultsModel::OffsetRole).toULongLong(), 16).toUpper();
            }
        }
    }
    QGuiApplication::clipboard()->setText(text);
}

void ResultsView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelection(CopyWhat::Lines);
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        showMenuFromKeyboard();
        event->accept();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

void ResultsView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        showMenuFromKeyboard();
    } else {
        showMenu(event->globalPos());
    }
    event->accept();
}

void ResultsView::showMenuFromKeyboard() {
    // On the current line, or at the list's corner when that line is out of view.
    const QRect line = visualRect(currentIndex());
    const QPoint at = viewport()->rect().contains(line.center()) ? line.center() : QPoint(0, 0);
    showMenu(viewport()->mapToGlobal(at));
}

void ResultsView::showMenu(const QPoint& globalPosition) {
    const bool anySelected = selectionModel() != nullptr && selectionModel()->hasSelection();
    copyAction_->setEnabled(anySelected);
    copyOffsetAction_->setEnabled(anySelected);
    previewAction_->setEnabled(currentIndex().isValid());
    menu_->popup(globalPosition);
}

void ResultsView::tellAccessibility(QAccessible::Event event, int row) {
    if (!QAccessible::isActive()) {
        return;
    }
    QAccessibleEvent accessibleEvent(this, event);
    accessibleEvent.setChild(row);
    QAccessible::updateAccessibility(&accessibleEvent);
}

void ResultsView::focusInEvent(QFocusEvent* event) {
    QAbstractItemView::focusInEvent(event);
    if (currentIndex().isValid()) {
        tellAccessibility(QAccessible::Focus, currentIndex().row());
    }
}

void ResultsView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (current.isValid() && hasFocus()) {
        tellAccessibility(QAccessible::Focus, current.row());
    }
}

void ResultsView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QAbstractItemView::selectionChanged(selected, deselected);
    // Ranges, not indexes: a selection can span millions of lines.
    if (!deselected.isEmpty()) {
        tellAccessibility(QAccessible::SelectionRemove, deselected.first().top());
    }
    if (!selected.isEmpty()) {
        const QItemSelection now = selectionModel()->selection();
        const bool single = now.size() == 1 && now.first().top() == now.first().bottom();
        tellAccessibility(single ? QAccessible::Selection : QAccessible::SelectionAdd, selected.first().top());
    }
}

}  // namespace kinfold
