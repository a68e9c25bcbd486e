#pragma once

#include "cli/FolderArguments.h"
#include "pointers/PointerMapping.h"
#include "pointers/PointerSearch.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace kinfold::cli {

// The words of `kinfold pointers ...`, read and checked.
struct PointersCommand {
    std::vector<std::uint64_t> targets;  // increasing, each once
    std::optional<MappingKind> map;      // nullopt for auto: by each file's extension
    PointerFormat format;                // its kind is map's, when given
    PointerSearchOptions search;
    bool json = false;
    FolderWords folders;
};

// Reads the arguments after the program's name ("pointers" first). On
// --help, or on arguments it can't take, it writes what the user should see
// (help to out, mistakes to err) and gives the exit status instead: 0, or 2
// for a mistake.
std::variant<PointersCommand, int> readPointersCommand(int argc, const char* const* argv, std::ostream& out,
                                                       std::ostream& err);

}  // namespace kinfold::cli
