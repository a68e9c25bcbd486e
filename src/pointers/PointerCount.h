#pragma once

#include "pointers/PointerMapping.h"
#include "pointers/PointerSearch.h"
#include "search/ScanError.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kinfold {

// How many pointers of a file lead to each of many targets.
struct PointerCounts {
    std::vector<std::uint32_t> counts;  // one for each target, in the targets' order
    bool stopped = false;               // the progress call asked to stop; the counts are partial
    std::optional<ScanError> error;     // the file could not be opened or read wholly
};

// Which pointers are counted.
struct PointerCountOptions {
    PointerSearchOptions search;  // the banks' rule, alignment
    // Only pointers that sit in a pointer table: a neighbouring slot leads to
    // the start of another target (see TableMark.h).
    bool inTablesOnly = false;
};

// Counts, in one pass over the file, the pointers to each target under the
// format (which formatProblem() must accept). Targets may come in any order
// and repeat. progress is called with the bytes searched so far and stops
// the count when it returns false.
PointerCounts countPointers(const std::filesystem::path& path, const PointerFormat& format,
                            std::span<const std::uint64_t> targets,
                            const std::function<bool(std::uint64_t done)>& progress,
                            const PointerCountOptions& options = {});

}  // namespace kinfold
