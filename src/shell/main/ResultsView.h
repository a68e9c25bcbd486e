#pragma once

#include <QAbstractItemView>
#include <QAccessible>

#include <cstddef>

class QAction;
class QMenu;

namespace kinfold {

class MessageBoxes;

// A single-column list whose lines all have the same height. It keeps nothing
// per line, so a list of millions of results costs no more to show, grow or
// scroll than a short one (Qt's own list view keeps a position per line and
// lays them all out again as the list grows). The scroll bar counts lines.
// Double-click, Enter and the menu's Preview all emit activated().
class ResultsView : public QAbstractItemView {
    Q_OBJECT
public:
    // A copy of more lines than this is refused: the text would take hundreds
    // of megabytes, and the results report already writes any number of lines.
    static constexpr std::size_t kMaxCopiedLines = 1000000;

    enum class CopyWhat { Lines, HexOffsets };

    explicit ResultsView(QWidget* parent = nullptr);

    // Where a refused copy is explained to the user.
    void setMessages(MessageBoxes* messages) { messages_ = messages; }
    // Puts the selected lines (or their offsets as 0x-prefixed hex) on the
    // clipboard in list order, one per line.
    void copySelection(CopyWhat what);
    QMenu* contextMenu() const { return menu_; }

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
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    int rowCount() const;
    int rowAt(int y) const;
    // The row at viewport height y, kept to the list's lines.
    int nearestRowAt(int y) const;
    void showMenu(const QPoint& globalPosition);
    void showMenuFromKeyboard();
    void tellAccessibility(QAccessible::Event event, int row);

    MessageBoxes* messages_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* copyAction_ = nullptr;
    QAction* copyOffsetAction_ = nullptr;
    QAction* previewAction_ = nullptr;
};

}  // namespace kinfold
