#include "shell/script/ScriptEdits.h"

#include <algorithm>

namespace kinfold {

const std::string* ScriptEdits::editOf(std::uint64_t offset) const {
    const auto it = texts_.find(offset);
    return it == texts_.end() ? nullptr : &it->second;
}

void ScriptEdits::set(std::uint64_t offset, const std::optional<std::string>& text) {
    if (text) {
        texts_[offset] = *text;
    } else {
        texts_.erase(offset);
    }
    unsaved_ = true;
}

void ScriptEdits::push(std::vector<Change> step) {
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    ++done_;
}

bool ScriptEdits::edit(std::uint64_t offset, std::string_view original, std::string text) {
    std::optional<std::string> after;
    if (text != original) after = std::move(text);
    const std::string* now = editOf(offset);
    std::optional<std::string> before = now ? std::optional<std::string>(*now) : std::nullopt;
    if (before == after) return false;
    set(offset, after);
    push({{offset, std::move(before), std::move(after)}});
    return true;
}

bool ScriptEdits::editAll(const std::vector<std::pair<std::uint64_t, std::optional<std::string>>>& texts) {
    std::vector<Change> step;
    for (const auto& [offset, text] : texts) {
        const std::string* now = editOf(offset);
        std::optional<std::string> before = now ? std::optional<std::string>(*now) : std::nullopt;
        if (before == text) continue;
        set(offset, text);
        step.push_back({offset, std::move(before), text});
    }
    if (step.empty()) return false;
    push(std::move(step));
    return true;
}

std::optional<std::uint64_t> ScriptEdits::undo() {
    if (!canUndo()) return std::nullopt;
    const std::vector<Change>& step = steps_[--done_];
    for (auto it = step.rbegin(); it != step.rend(); ++it) set(it->offset, it->before);
    return step.front().offset;
}

std::optional<std::uint64_t> ScriptEdits::redo() {
    if (!canRedo()) return std::nullopt;
    const std::vector<Change>& step = steps_[done_++];
    for (const Change& change : step) set(change.offset, change.after);
    return step.front().offset;
}

const std::vector<std::uint64_t>* ScriptEdits::usedPointers(std::uint64_t target) const {
    const auto it = used_.find(target);
    return it == used_.end() ? nullptr : &it->second;
}

void ScriptEdits::setUsedPointers(std::uint64_t target, std::vector<std::uint64_t> pointers) {
    std::sort(pointers.begin(), pointers.end());
    pointers.erase(std::unique(pointers.begin(), pointers.end()), pointers.end());
    const std::vector<std::uint64_t>* now = usedPointers(target);
    if (now != nullptr && *now == pointers) return;
    used_[target] = std::move(pointers);
    unsaved_ = true;
}

void ScriptEdits::clear() {
    texts_.clear();
    used_.clear();
    steps_.clear();
    done_ = 0;
    unsaved_ = false;
}

std::size_t ScriptEdits::countNotIn(std::span<const std::uint64_t> listed) const {
    return static_cast<std::size_t>(std::count_if(texts_.begin(), texts_.end(), [listed](const auto& edit) {
        return !std::binary_search(listed.begin(), listed.end(), edit.first);
    }));
}

}  // namespace kinfold
