#pragma once

#include "insert/ScriptReader.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace kinfold {

// One line of `kinfold pointers` output: the pointer at offset points at target.
struct ListedPointer {
    int line = 0;
    std::uint64_t offset = 0;
    std::uint64_t target = 0;
};

struct PointerListRead {
    std::vector<ListedPointer> pointers;
    std::vector<ScriptProblem> problems;
};

// Reads what `kinfold pointers` prints, perhaps with lines taken out:
// "[PATH:]P (HEX hex) -> T (HEX hex)", or its JSON Lines with "offset" and
// "target". Blank lines and lines starting with "#" are passed over.
PointerListRead readPointerList(std::string_view text);

}  // namespace kinfold
