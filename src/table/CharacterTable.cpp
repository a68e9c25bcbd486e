#include "table/CharacterTable.h"

namespace kinfold {

std::uint32_t CharacterTable::maxUnit() const {
    return unitBytes_ >= 4 ? 0xFFFFFFFFu : (std::uint32_t{1} << (8 * unitBytes_)) - 1;
}

const std::string* CharacterTable::find(std::uint32_t unit) const {
    const auto it = entries_.find(unit);
    return it == entries_.end() ? nullptr : &it->second;
}

void CharacterTable::merge(const CharacterTable& other) {
    for (const auto& [unit, text] : other.entries_) {
        entries_[unit] = text;
    }
}

}  // namespace kinfold
