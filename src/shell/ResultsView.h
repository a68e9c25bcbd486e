#pragma once

#include <QAbstractItemView>

namespace kinfold {

// A single-column list whose lines all have the same height. It keeps nothing
// per line, so a list of millions of results costs no more to show, grow or
// scroll than a short one (Qt's own list view keeps a position per line and
// lays them all out again as the list grows). The scroll bar counts lines.
class ResultsView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit ResultsView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

    // The first line shown at the top.
    int firstVisibleRow() const;
    // How many whole lines fit the visible area (at least 1).
    int visibleRows() const;
    int rowHeight() const;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void reset() override;

private:
    int rowCount() const;
    int rowAt(int y) const;
};

}  // namespace kinfold
