#include "pattern/SearchPattern.h"

#include <cassert>

namespace kinfold {

SearchPattern::AppendResult SearchPattern::appendValue(std::int16_t v) {
    if (full()) {
        return AppendResult::Full;
    }
    const int n = count_ + 1;
    std::int16_t direction = 0;
    int step = 0;
    if (n >= 2) {
        const int p = values_[slot(n - 1)];
        if (v > p) {
            direction = 1;
            step = v - p;
        } else if (v < p) {
            direction = -1;
            step = p - v;
        }
        // A step is stored as a 16-bit size.
        if (step > 32767) {
            return AppendResult::StepTooLarge;
        }
        directions_[slot(n)] = direction;
        differences_[slot(n)] = static_cast<std::int16_t>(step);
    }
    values_[slot(n)] = v;
    skipped_[slot(n)] = false;
    count_ = n;
    return AppendResult::Added;
}

bool SearchPattern::appendSkipped() {
    if (empty() || full()) {
        return false;
    }
    const int n = count_ + 1;
    values_[slot(n)] = values_[slot(n - 1)];
    directions_[slot(n)] = 0;
    differences_[slot(n)] = 0;
    skipped_[slot(n)] = true;
    count_ = n;
    return true;
}

bool SearchPattern::removeLast() {
    if (empty()) {
        return false;
    }
    --count_;
    return true;
}

void SearchPattern::replace(std::span<const StoredEntry> entries) {
    assert(entries.size() <= static_cast<std::size_t>(kMaxEntries));
    int i = 0;
    for (const StoredEntry& e : entries) {
        ++i;
        values_[slot(i)] = e.value;
        differences_[slot(i)] = e.difference;
        directions_[slot(i)] = e.direction;
        skipped_[slot(i)] = false;
    }
    count_ = i;
}

std::string SearchPattern::lineText(int i) const {
    if (isSkipped(i)) {
        return "Skipped Value";
    }
    return entryLineText(i, stored(i));
}

std::string entryLineText(int position, const StoredEntry& entry) {
    std::string text = std::to_string(entry.value);
    if (position < 2) {
        return text;
    }
    text += " (";
    if (entry.direction == 1) {
        text += '+';
    } else if (entry.direction == -1) {
        text += '-';
    }
    text += std::to_string(entry.difference);
    text += ')';
    return text;
}

}  // namespace kinfold
