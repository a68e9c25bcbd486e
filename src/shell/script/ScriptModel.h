#pragma once

#include "shell/script/ScriptBatch.h"

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kinfold {

class ScriptEdits;

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
    // Shows only the strings whose text (in the ROM or edited) holds text,
    // ignoring case; all when it is empty.
    void setFilter(const QString& text);
    const QString& filter() const { return filter_; }
    // Which strings are shown, with the filter: all, the edited or the unedited ones.
    enum class Show { All, Edited, Unedited };
    void setShow(Show show);
    Show show() const { return show_; }
    // Whether only some strings are shown.
    bool filtering() const { return !filter_.isEmpty() || show_ != Show::All; }

    // The edits shown on the lines: an edited string's line shows "✎" and its new text.
    void setEdits(const ScriptEdits* edits) { edits_ = edits; }
    // The string at offset was edited, or its edit undone: its line is drawn
    // again, or leaves the list when it no longer belongs to what is shown.
    void editChanged(std::uint64_t offset);
    // Every edit may have changed (a script opened, the edits dropped).
    void editsChanged();
    // The line showing the string at offset, if one does.
    std::optional<std::size_t> rowOf(std::uint64_t offset) const;

    // The pointers leading to each string found, in the order found, shown on
    // its line; an empty list takes them away.
    void setPointerCounts(std::vector<std::uint32_t> counts);
    bool hasPointerCounts() const { return !pointerCounts_.empty(); }
    // The offset of every string found, in the order found.
    std::vector<std::uint64_t> offsets() const;

    std::size_t found() const { return found_; }
    std::size_t shown() const { return filtering() ? shown_.size() : found_; }
    // The string line k (from 0) shows, with its text in the ROM; its length and end are not kept.
    ScriptString string(std::size_t k) const { return at(filtering() ? shown_[k] : k); }
    // Line k as the list shows it: as a saved script holds it, with the count
    // of pointers to it after the offset once they are counted and the
    // pointers confirmed for moving it, and an edited string's new text.
    QString line(std::size_t k) const;
    // The string found i-th (from 0), shown or not.
    ScriptString stringFound(std::size_t i) const { return at(i); }
    // The strings found, in batches, in offset order.
    const std::vector<ScriptBatch>& batches() const { return batches_; }

private:
    bool holdsFilter(std::string_view text) const;
    // Whether the string at offset with the ROM's text belongs to what is shown.
    bool belongs(std::uint64_t offset, std::string_view text) const;
    // Works out again which strings are shown.
    void showAgain();
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
    Show show_ = Show::All;
    const ScriptEdits* edits_ = nullptr;
};

}  // namespace kinfold
