#include "shell/main/ResultsModel.h"

#include "search/ResultLine.h"

#include <limits>

namespace kinfold {

namespace {
// A list view counts its rows in an int; lines past that stay in the model
// (and in the report) but can't be scrolled to.
int clampedRows(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, static_cast<std::size_t>(std::numeric_limits<int>::max())));
}
}  // namespace

int ResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : clampedRows(offsets_.size());
}

QVariant ResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= offsets_.size()) {
        return {};
    }
    const auto k = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole: return line(k);
    case OffsetRole: return QVariant::fromValue<qulonglong>(offsets_[k]);
    default: return {};
    }
}

void ResultsModel::append(std::span<const std::uint64_t> offsets) {
    if (offsets.empty()) {
        return;
    }
    const int first = clampedRows(offsets_.size());
    const int last = clampedRows(offsets_.size() + offsets.size()) - 1;
    if (last >= first) {
        beginInsertRows(QModelIndex(), first, last);
        offsets_.insert(offsets_.end(), offsets.begin(), offsets.end());
        endInsertRows();
    } else {
        offsets_.insert(offsets_.end(), offsets.begin(), offsets.end());
    }
}

void ResultsModel::clear() {
    beginResetModel();
    offsets_ = {};
    endResetModel();
}

QString ResultsModel::line(std::size_t k) const { return QString::fromStdString(resultLine(offsets_.at(k))); }

void ResultsModel::appendLine(std::size_t k, std::string& out) const { out += resultLine(offsets_[k]); }

}  // namespace kinfold
