#include "shell/script/ScriptModel.h"

#include "script/ScriptLine.h"
#include "search/ResultLine.h"

#include <algorithm>
#include <limits>

namespace kinfold {

namespace {
// A list view counts its rows in an int.
int clampedRows(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, static_cast<std::size_t>(std::numeric_limits<int>::max())));
}
}  // namespace

int ScriptModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : clampedRows(shown()); }

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

bool ScriptModel::holdsFilter(std::string_view text) const {
    if (filter_.isEmpty()) return true;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).contains(filter_, Qt::CaseInsensitive);
}

ScriptString ScriptModel::at(std::size_t i) const {
    const auto batch = static_cast<std::size_t>(std::upper_bound(ends_.begin(), ends_.end(), i) - ends_.begin());
    return batches_[batch].string(i - (batch == 0 ? 0 : ends_[batch - 1]));
}

std::string_view ScriptModel::textAt(std::size_t i) const {
    const auto batch = static_cast<std::size_t>(std::upper_bound(ends_.begin(), ends_.end(), i) - ends_.begin());
    return batches_[batch].text(i - (batch == 0 ? 0 : ends_[batch - 1]));
}

void ScriptModel::append(ScriptBatch&& strings) {
    if (strings.empty()) return;
    const std::size_t before = shown();
    if (!filter_.isEmpty()) {
        for (std::size_t k = 0; k < strings.size(); ++k) {
            if (holdsFilter(strings.text(k))) shown_.push_back(found_ + k);
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
    pointerCounts_ = {};
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
                     [this](std::size_t k) { return holdsFilter(textAt(k)); });
    } else if (!filter_.isEmpty()) {
        std::size_t k = 0;
        for (const ScriptBatch& batch : batches_) {
            for (std::size_t b = 0; b < batch.size(); ++b, ++k) {
                if (holdsFilter(batch.text(b))) shown.push_back(k);
            }
        }
    }
    shown_ = std::move(shown);
    endResetModel();
}

QString ScriptModel::line(std::size_t k) const {
    const std::size_t i = filter_.isEmpty() ? k : shown_[k];
    const ScriptString s = at(i);
    QString text = QString::fromStdString(scriptLine(s));
    if (i < pointerCounts_.size()) {
        const std::uint32_t n = pointerCounts_[i];
        const QString count = n == 0   ? QStringLiteral("[no pointer]  ")
                              : n == 1 ? QStringLiteral("[1 pointer]  ")
                                       : QStringLiteral("[%1 pointers]  ").arg(n);
        text.insert(static_cast<qsizetype>(resultLine(s.offset).size()) + 2, count);
    }
    return text;
}

void ScriptModel::setPointerCounts(std::vector<std::uint32_t> counts) {
    if (counts.empty() && pointerCounts_.empty()) return;
    // Every line's text changes. A change of layout has the list draw again
    // what it shows; a change of data over every line would have it measure
    // each of millions of lines first.
    emit layoutAboutToBeChanged();
    pointerCounts_ = std::move(counts);
    emit layoutChanged();
}

std::vector<std::uint64_t> ScriptModel::offsets() const {
    std::vector<std::uint64_t> out;
    out.reserve(found_);
    for (const ScriptBatch& batch : batches_) out.insert(out.end(), batch.offsets.begin(), batch.offsets.end());
    return out;
}

void ScriptModel::appendLines(std::string& out) const {
    for (const ScriptBatch& batch : batches_) {
        for (std::size_t b = 0; b < batch.size(); ++b) {
            out += scriptLine(batch.string(b));
            out += '\n';
        }
    }
}

}  // namespace kinfold
