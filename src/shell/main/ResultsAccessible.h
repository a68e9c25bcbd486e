#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <vector>

class QAbstractItemModel;

namespace kinfold {

class ResultsView;

// Makes accessibility tools see every results list as a list of list items.
// Safe to call more than once.
void installResultsAccessibility();

// What accessibility tools see of the results list: a list whose lines are
// list items named by their text. A list can hold millions of lines, so an
// item is made only when a tool asks for it, and only the most recently asked
// ones are kept (Qt keeps each item it is given until it is deleted).
class ResultsAccessible : public QAccessibleWidget {
public:
    // The most line items alive at once.
    static constexpr std::size_t kKeptLines = 256;

    explicit ResultsAccessible(ResultsView* view);
    ~ResultsAccessible() override;
    ResultsAccessible(const ResultsAccessible&) = delete;
    ResultsAccessible& operator=(const ResultsAccessible&) = delete;

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // How many line items are alive now.
    std::size_t keptLines() const { return kept_.size(); }

private:
    struct Kept {
        int row;
        QAccessible::Id id;
        std::uint64_t lastUse;
    };

    ResultsView* view() const;
    // Follows the view to its current model, forgetting items of the old one.
    void watchModel() const;
    // Deletes the items of rows from `first` on: their rows now hold other lines.
    void forgetFrom(int first) const;

    mutable QObject watcher_;  // context of the model connections
    mutable QPointer<QAbstractItemModel> model_;
    mutable std::vector<Kept> kept_;
    mutable std::uint64_t uses_ = 0;
};

}  // namespace kinfold
