#pragma once

#include "cli/NameFilter.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kinfold::cli {

// A file to search, or a path that can't be searched and the message that
// says why; both keep their place in the order the paths were found.
struct FoundFile {
    std::filesystem::path path;
    std::uint64_t size = 0;  // 0 too when not measured
    std::optional<std::string> problem;
};

// Every file under the paths, in a stable order: the paths as given, each
// folder's entries sorted by name and searched depth first. Folders are
// entered whatever their depth, but symbolic links to folders are not
// followed (a path given on the command line is taken as it is, link or not).
// Files named on the command line are taken whatever the filter says. Pipes,
// sockets and devices, missing paths and unreadable folders come back as
// problems, never opened. Sizes only feed the progress display: without
// measureSizes they stay 0, which spares a lookup of every file.
std::vector<FoundFile> findFiles(const std::vector<std::filesystem::path>& paths, const NameFilter& filter,
                                 bool measureSizes = true);

}  // namespace kinfold::cli
