#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <deque>
#include <span>
#include <string>

namespace kinfold {

// The lines of the results list. A search can list every offset of a file, so
// each line is kept as its 64-bit offset and its text is made only when the
// line is drawn or read.
class ResultsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The line's file offset as a qulonglong, for what acts on the hit itself.
    static constexpr int OffsetRole = Qt::UserRole;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void append(std::span<const std::uint64_t> offsets);
    void clear();
    std::size_t count() const { return offsets_.size(); }
    // The offset line k (from 0) lists.
    std::uint64_t offset(std::size_t k) const { return offsets_[k]; }
    // Line k (from 0), exactly as the list shows it.
    QString line(std::size_t k) const;
    // Appends line k's text to out, for writing the report in large blocks.
    void appendLine(std::size_t k, std::string& out) const;

private:
    // A deque grows in small blocks: no copy of millions of offsets, and no
    // moment with the old and the new array both in memory.
    std::deque<std::uint64_t> offsets_;
};

}  // namespace kinfold
