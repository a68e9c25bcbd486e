#include "shell/ScriptModel.h"

#include "script/ScriptLine.h"

#include <algorithm>
#include <limits>

namespace kinfold {

namespace {
// A list view counts its rows in an int.
int clampedRows(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, static_cast<std::size_t>(std::numeric_limits<int>::max())));
}
}  // namespace

int ScriptModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : clampedRows(shown_.size());
}

QVariant ScriptModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= shown_.size()) {
        return {};
    }
    const auto k = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole: return line(k);
    case OffsetRole: return QVariant::fromValue<qulonglong>(string(k).offset);
    default: return {};
    }
}

bool ScriptModel::holdsFilter(const ScriptString& string) const {
    if (filter_.isEmpty()) return true;
    const auto text = QString::fromUtf8(string.text.data(), static_cast<qsizetype>(string.text.size()));
    return text.contains(filter_, Qt::CaseInsensitive);
}

void ScriptModel::append(std::vector<ScriptString>&& strings) {
    std::vector<std::size_t> added;
    for (ScriptString& s : strings) {
        if (holdsFilter(s)) added.push_back(strings_.size());
        strings_.push_back(std::move(s));
    }
    if (added.empty()) return;
    const int first = clampedRows(shown_.size());
    const int last = clampedRows(shown_.size() + added.size()) - 1;
    if (last >= first) beginInsertRows(QModelIndex(), first, last);
    shown_.insert(shown_.end(), added.begin(), added.end());
    if (last >= first) endInsertRows();
}

void ScriptModel::clear() {
    beginResetModel();
    strings_ = {};
    shown_ = {};
    endResetModel();
}

void ScriptModel::setFilter(const QString& text) {
    if (text == filter_) return;
    // A longer filter that holds the old one only narrows what is shown.
    const bool narrows = !filter_.isEmpty() && text.contains(filter_, Qt::CaseInsensitive);
    filter_ = text;
    beginResetModel();
    std::vector<std::size_t> shown;
    if (narrows) {
        std::copy_if(shown_.begin(), shown_.end(), std::back_inserter(shown),
                     [this](std::size_t k) { return holdsFilter(strings_[k]); });
    } else {
        for (std::size_t k = 0; k < strings_.size(); ++k) {
            if (holdsFilter(strings_[k])) shown.push_back(k);
        }
    }
    shown_ = std::move(shown);
    endResetModel();
}

QString ScriptModel::line(std::size_t k) const { return QString::fromStdString(scriptLine(string(k))); }

void ScriptModel::appendLines(std::string& out) const {
    for (const ScriptString& s : strings_) {
        out += scriptLine(s);
        out += '\n';
    }
}

}  // namespace kinfold
