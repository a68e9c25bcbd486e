#include "shell/script/ScriptModel.h"

#include "script/ScriptLine.h"
#include "search/ResultLine.h"
#include "shell/script/ScriptEdits.h"

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

bool ScriptModel::belongs(std::uint64_t offset, std::string_view text) const {
    const std::string* edit = edits_ != nullptr ? edits_->editOf(offset) : nullptr;
    if ((show_ == Show::Edited && edit == nullptr) || (show_ == Show::Unedited && edit != nullptr)) return false;
    return holdsFilter(text) || (edit != nullptr && holdsFilter(*edit));
}

void ScriptModel::append(ScriptBatch&& strings) {
    if (strings.empty()) return;
    const std::size_t before = shown();
    if (filtering()) {
        for (std::size_t k = 0; k < strings.size(); ++k) {
            if (belongs(strings.offsets[k], strings.text(k))) shown_.push_back(found_ + k);
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
    if (!narrows) {
        showAgain();
        return;
    }
    beginResetModel();
    std::erase_if(shown_, [this](std::size_t k) {
        const ScriptString s = at(k);
        return !belongs(s.offset, s.text);
    });
    endResetModel();
}

void ScriptModel::setShow(Show show) {
    if (show == show_) return;
    show_ = show;
    showAgain();
}

void ScriptModel::showAgain() {
    beginResetModel();
    shown_.clear();
    if (filtering()) {
        std::size_t k = 0;
        for (const ScriptBatch& batch : batches_) {
            for (std::size_t b = 0; b < batch.size(); ++b, ++k) {
                if (belongs(batch.offsets[b], batch.text(b))) shown_.push_back(k);
            }
        }
    }
    endResetModel();
}

std::optional<std::size_t> ScriptModel::rowOf(std::uint64_t offset) const {
    // The strings are found in offset order.
    std::size_t low = 0;
    std::size_t high = shown();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (string(middle).offset < offset) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low < shown() && string(low).offset == offset) return low;
    return std::nullopt;
}

void ScriptModel::editChanged(std::uint64_t offset) {
    const std::optional<std::size_t> row = rowOf(offset);
    if (filtering()) {
        const bool shownNow = row.has_value();
        bool belongsNow = false;
        if (!shownNow) {
            // Found but not shown: it may belong now.
            const std::vector<std::uint64_t> all = offsets();
            const auto it = std::lower_bound(all.begin(), all.end(), offset);
            if (it == all.end() || *it != offset) return;
            belongsNow = belongs(offset, textAt(static_cast<std::size_t>(it - all.begin())));
        } else {
            const ScriptString s = string(*row);
            belongsNow = belongs(s.offset, s.text);
        }
        if (shownNow != belongsNow) {
            showAgain();
            return;
        }
    }
    if (row && *row < static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        const QModelIndex changed = index(static_cast<int>(*row));
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

void ScriptModel::editsChanged() {
    if (filtering()) {
        showAgain();
        return;
    }
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

QString ScriptModel::line(std::size_t k) const {
    const std::size_t i = filtering() ? shown_[k] : k;
    const ScriptString s = at(i);
    const std::string* edit = edits_ != nullptr ? edits_->editOf(s.offset) : nullptr;
    std::string written;
    appendScriptLine(s.offset, edit != nullptr ? *edit : s.text, written);
    QString text = QString::fromStdString(written);
    const auto place = static_cast<qsizetype>(resultLine(s.offset).size()) + 2;
    if (edit != nullptr) text.insert(place, QStringLiteral("\u270E "));
    const std::vector<std::uint64_t>* used = edits_ != nullptr ? edits_->usedPointers(s.offset) : nullptr;
    const auto pointers = [](std::size_t n) {
        return n == 1 ? QStringLiteral("1 pointer") : QStringLiteral("%1 pointers").arg(n);
    };
    QString count;
    if (i < pointerCounts_.size()) {
        const std::uint32_t n = pointerCounts_[i];
        count = n == 0 ? QStringLiteral("no pointer") : pointers(n);
        if (used != nullptr) count += QStringLiteral(", %1 confirmed").arg(used->size());
    } else if (used != nullptr) {
        count = used->empty() ? QStringLiteral("no pointer confirmed")
                              : pointers(used->size()) + QStringLiteral(" confirmed");
    }
    if (!count.isEmpty()) text.insert(place, QLatin1Char('[') + count + QStringLiteral("]  "));
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

}  // namespace kinfold
