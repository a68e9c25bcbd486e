#pragma once

#include "shell/script/ScriptBatch.h"

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kinfold {

// The strings of the script window: every string found, and the lines shown,
// those whose text holds the filter. A line's text is made only when it is
// drawn or read, so half a million strings cost their bytes and no more.
class ScriptModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The string's file offset as a qulonglong, like the results list's lines.
    static constexpr int OffsetRole = Qt::UserRole;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Adds strings found; those that hold the filter are shown.
    void append(ScriptBatch&& strings);
    void clear();
    // Shows only the strings whose text holds text, ignoring case; all when it is empty.
    void setFilter(const QString& text);
    const QString& filter() const { return filter_; }

    // The pointers leading to each string found, in the order found, shown on
    // its line; an empty list takes them away.
    void setPointerCounts(std::vector<std::uint32_t> counts);
    bool hasPointerCounts() const { return !pointerCounts_.empty(); }
    // The offset of every string found, in the order found.
    std::vector<std::uint64_t> offsets() const;

    std::size_t found() const { return found_; }
    std::size_t shown() const { return filter_.isEmpty() ? found_ : shown_.size(); }
    // The string line k (from 0) shows; its length and end are not kept.
    ScriptString string(std::size_t k) const { return at(filter_.isEmpty() ? k : shown_[k]); }
    // Line k as the list shows it: as a saved script holds it, with the count
    // of pointers to it after the offset once they are counted.
    QString line(std::size_t k) const;
    // Appends the line of every string found, shown or not, each with its line
    // end: the script as the dump prints it.
    void appendLines(std::string& out) const;

private:
    bool holdsFilter(std::string_view text) const;
    // The string found i-th (from 0).
    ScriptString at(std::size_t i) const;
    std::string_view textAt(std::size_t i) const;

    // The batches as they came: no string is moved again as the list grows.
    std::vector<ScriptBatch> batches_;
    std::vector<std::size_t> ends_;  // the strings found up to the end of each batch
    std::size_t found_ = 0;
    std::vector<std::size_t> shown_;            // with a filter: the strings that hold it, in offset order
    std::vector<std::uint32_t> pointerCounts_;  // for each string found, or none
    QString filter_;
};

}  // namespace kinfold
