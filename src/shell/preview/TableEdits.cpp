#include "shell/preview/TableEdits.h"

#include <utility>

namespace kinfold {

void TableEdits::switchTo(const std::string& file) {
    if (file == file_) return;
    if (!current_.table.empty() || !current_.removed.empty() || !current_.done.empty() || !current_.undone.empty()) {
        others_[file_] = std::move(current_);
    }
    current_ = {};
    if (const auto found = others_.find(file); found != others_.end()) {
        current_ = std::move(found->second);
        others_.erase(found);
    }
    file_ = file;
}

void TableEdits::open(CodeTable table, std::string name, std::shared_ptr<const TableDocument> document) {
    current_ = {std::move(table), std::move(name), std::move(document), {}, false, {}, {}};
}

void TableEdits::set(const EntryBytes& bytes, TableEntry entry, std::uint64_t at) {
    record(bytes, at, Slot{std::move(entry), false});
}

void TableEdits::remove(const EntryBytes& bytes, std::uint64_t at) { record(bytes, at, Slot{std::nullopt, true}); }

std::optional<TableEdits::Place> TableEdits::undo() {
    if (current_.done.empty()) return std::nullopt;
    Step step = std::move(current_.done.back());
    current_.done.pop_back();
    put(step.bytes, step.before);
    current_.edited = step.editedBefore;
    const Place place{step.at, step.bytes.size()};
    current_.undone.push_back(std::move(step));
    return place;
}

std::optional<TableEdits::Place> TableEdits::redo() {
    if (current_.undone.empty()) return std::nullopt;
    Step step = std::move(current_.undone.back());
    current_.undone.pop_back();
    put(step.bytes, step.after);
    current_.edited = true;
    const Place place{step.at, step.bytes.size()};
    current_.done.push_back(std::move(step));
    return place;
}

CodeTable TableEdits::applyTo(CodeTable inferred) const {
    inferred.merge(current_.table);
    for (const EntryBytes& bytes : current_.removed) inferred.erase(bytes);
    return inferred;
}

TableEdits::Slot TableEdits::slotOf(const EntryBytes& bytes) const {
    const TableEntry* entry = current_.table.find(bytes);
    return Slot{entry != nullptr ? std::optional<TableEntry>(*entry) : std::nullopt, current_.removed.contains(bytes)};
}

void TableEdits::put(const EntryBytes& bytes, const Slot& slot) {
    if (slot.entry) {
        current_.table.set(bytes, *slot.entry);
    } else {
        current_.table.erase(bytes);
    }
    if (slot.removed) {
        current_.removed.insert(bytes);
    } else {
        current_.removed.erase(bytes);
    }
}

void TableEdits::record(const EntryBytes& bytes, std::uint64_t at, Slot after) {
    Step step{bytes, at, slotOf(bytes), std::move(after), current_.edited};
    put(bytes, step.after);
    current_.edited = true;
    current_.done.push_back(std::move(step));
    current_.undone.clear();
}

}  // namespace kinfold
