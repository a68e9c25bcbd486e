#include "shell/main/ResultsAccessible.h"

#include "shell/main/ResultsView.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QWindow>

#include <algorithm>

namespace kinfold {

namespace {

// One line of the list as a list item. It holds only its row: the text and the
// states are read from the view each time a tool asks.
class ResultLineAccessible : public QAccessibleInterface {
public:
    ResultLineAccessible(ResultsView* view, int row) : view_(view), row_(row) {}

    ResultsView* view() const { return view_.data(); }
    int row() const { return row_; }

    bool isValid() const override {
        return !view_.isNull() && view_->model() != nullptr && row_ < view_->model()->rowCount(view_->rootIndex());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_.isNull() ? nullptr : view_->window()->windowHandle(); }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) {
            return {};
        }
        return index().data(Qt::DisplayRole).toString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect local = view_->visualRect(index());
        return {view_->viewport()->mapToGlobal(local.topLeft()), local.size()};
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const QModelIndex here = index();
        s.selectable = true;
        s.focusable = true;
        s.multiSelectable = view_->selectionMode() == QAbstractItemView::MultiSelection;
        s.extSelectable = view_->selectionMode() == QAbstractItemView::ExtendedSelection;
        s.selected = view_->selectionModel() != nullptr && view_->selectionModel()->isSelected(here);
        s.focused = view_->hasFocus() && view_->currentIndex() == here;
        const int first = view_->firstVisibleRow();
        if (row_ < first || row_ >= first + view_->visibleRows() || !view_->isVisible()) {
            s.invisible = true;
            s.offscreen = true;
        }
        return s;
    }

private:
    QModelIndex index() const { return view_->model()->index(row_, 0, view_->rootIndex()); }

    QPointer<ResultsView> view_;
    int row_;
};

QAccessibleInterface* makeResultsAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(ResultsView::staticMetaObject.className())) {
        if (auto* view = qobject_cast<ResultsView*>(object)) {
            return new ResultsAccessible(view);
        }
    }
    return nullptr;
}

}  // namespace

void installResultsAccessibility() { QAccessible::installFactory(makeResultsAccessible); }

ResultsAccessible::ResultsAccessible(ResultsView* view) : QAccessibleWidget(view, QAccessible::List) {}

ResultsAccessible::~ResultsAccessible() {
    // The view may be gone already: only the ids are touched here.
    for (const Kept& k : kept_) {
        QAccessible::deleteAccessibleInterface(k.id);
    }
}

ResultsView* ResultsAccessible::view() const { return static_cast<ResultsView*>(widget()); }

QAccessible::Role ResultsAccessible::role() const { return QAccessible::List; }

QAccessible::State ResultsAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiSelectable = view()->selectionMode() == QAbstractItemView::MultiSelection;
    s.extSelectable = view()->selectionMode() == QAbstractItemView::ExtendedSelection;
    return s;
}

int ResultsAccessible::childCount() const {
    const QAbstractItemModel* model = view()->model();
    return model != nullptr ? model->rowCount(view()->rootIndex()) : 0;
}

void ResultsAccessible::watchModel() const {
    QAbstractItemModel* model = view()->model();
    if (model == model_) {
        return;
    }
    forgetFrom(0);
    if (model_ != nullptr) {
        QObject::disconnect(model_, nullptr, &watcher_, nullptr);
    }
    model_ = model;
    if (model == nullptr) {
        return;
    }
    const auto forgetAll = [this] { forgetFrom(0); };
    QObject::connect(model, &QAbstractItemModel::modelReset, &watcher_, forgetAll);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, &watcher_, forgetAll);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, &watcher_, forgetAll);
    const auto forgetRows = [this](const QModelIndex& parent, int first, int) {
        if (!parent.isValid()) {
            forgetFrom(first);
        }
    };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, &watcher_, forgetRows);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, &watcher_, forgetRows);
}

void ResultsAccessible::forgetFrom(int first) const {
    const auto stale =
        std::stable_partition(kept_.begin(), kept_.end(), [first](const Kept& k) { return k.row < first; });
    for (auto it = stale; it != kept_.end(); ++it) {
        QAccessible::deleteAccessibleInterface(it->id);
    }
    kept_.erase(stale, kept_.end());
}

QAccessibleInterface* ResultsAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    watchModel();
    ++uses_;
    for (Kept& k : kept_) {
        if (k.row == index) {
            k.lastUse = uses_;
            return QAccessible::accessibleInterface(k.id);
        }
    }
    if (kept_.size() >= kKeptLines) {
        const auto oldest = std::min_element(kept_.begin(), kept_.end(),
                                             [](const Kept& a, const Kept& b) { return a.lastUse < b.lastUse; });
        QAccessible::deleteAccessibleInterface(oldest->id);
        kept_.erase(oldest);
    }
    auto* line = new ResultLineAccessible(view(), index);
    kept_.push_back({index, QAccessible::registerAccessibleInterface(line), uses_});
    return line;
}

int ResultsAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* line = dynamic_cast<const ResultLineAccessible*>(child);
    return line != nullptr && line->view() == view() && line->isValid() ? line->row() : -1;
}

QAccessibleInterface* ResultsAccessible::childAt(int x, int y) const {
    const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!view()->viewport()->rect().contains(local)) {
        return nullptr;
    }
    const QModelIndex index = view()->indexAt(local);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface* ResultsAccessible::focusChild() const {
    if (!view()->hasFocus()) {
        return nullptr;
    }
    const QModelIndex current = view()->currentIndex();
    return current.isValid() ? child(current.row()) : nullptr;
}

}  // namespace kinfold
