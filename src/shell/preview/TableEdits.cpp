#include "shell/preview/TableEdits.h"

#include <utility>

namespace kinfold {

void TableEdits::switchTo(const std::string& file) {
    if (file == file_) return;
    if (!current_.table.empty() || !current_.removed.empty()) others_[file_] = std::move(current_);
    current_ = {};
    if (const auto found = others_.find(file); found != others_.end()) {
        current_ = std::move(found->second);
        others_.erase(found);
    }
    file_ = file;
}

void TableEdits::open(CodeTable table, std::string name) {
    current_ = {std::move(table), std::move(name), {}, false};
}

void TableEdits::set(const EntryBytes& bytes, TableEntry entry) {
    current_.table.set(bytes, std::move(entry));
    current_.removed.erase(bytes);
    current_.edited = true;
}

void TableEdits::remove(const EntryBytes& bytes) {
    current_.table.erase(bytes);
    current_.removed.insert(bytes);
    current_.edited = true;
}

CodeTable TableEdits::applyTo(CodeTable inferred) const {
    inferred.merge(current_.table);
    for (const EntryBytes& bytes : current_.removed) inferred.erase(bytes);
    return inferred;
}

}  // namespace kinfold
