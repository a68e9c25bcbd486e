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
    return parent.isValid() ? 0 : clampedRows(shown());
}

QVariant ScriptModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= shown()) {
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

const ScriptString& ScriptModel::at(std::size_t i) const {
    const auto batch = static_cast<std::size_t>(std::upper_bound(ends_.begin(), ends_.end(), i) - ends_.begin());
    return batches_[batch][i - (batch == 0 ? 0 : ends_[batch - 1])];
}

void ScriptModel::append(std::vector<ScriptString>&& strings) {
    if (strings.empty()) return;
    const std::size_t before = shown();
    if (!filter_.isEmpty()) {
        for (std::size_t k = 0; k < strings.size(); ++k) {
            if (holdsFilter(strings[k])) shown_.push_back(found_ + k);
        }
    }
    found_ += strings.size();
    batches_.push_back(std::move(strings));
    ends_.push_back(found_);
    const int first = clampedRows(before);
    const int last = clampedRows(shown()) - 1;
    // The rows are there already; the list is told of them at once.
    if (last >= first) {
        beginInsertRows(QModelIndex(), first, last);
        endInsertRows();
    }
}

void ScriptModel::clear() {
    beginResetModel();
    batches_ = {};
    ends_ = {};
    found_ = 0;
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
                     [this](std::size_t k) { return holdsFilter(at(k)); });
    } else if (!filter_.isEmpty()) {
        std::size_t k = 0;
        for (const std::vector<ScriptString>& batch : batches_) {
            for (const ScriptString& s : batch) {
                if (holdsFilter(s)) shown.push_back(k);
                ++k;
            }
        }
    }
    shown_ = std::move(shown);
    endResetModel();
}

QString ScriptModel::line(std::size_t k) const { return QString::fromStdString(scriptLine(string(k))); }

void ScriptModel::appendLines(std::string& out) const {
    for (const std::vector<ScriptString>& batch : batches_) {
        for (const ScriptString& s : batch) {
            out += scriptLine(s);
            out += '\n';
        }
    }
}

}  // namespace kinfold
