#pragma once

#include <string>
#include <vector>

namespace kinfold::cli {

// Which files a folder search takes, from shell-style globs (*, ?, [...]).
// A glob without a slash is matched against a name alone; one with a slash
// against the path below the folder named on the command line, where * and ?
// stop at slashes.
class NameFilter {
public:
    NameFilter() = default;
    NameFilter(std::vector<std::string> includes, std::vector<std::string> excludes)
        : includes_(std::move(includes)), excludes_(std::move(excludes)) {}

    // A file is taken when no exclude glob matches it and, if there are
    // include globs, one of them does.
    bool takesFile(const std::string& name, const std::string& relativePath) const;
    // A folder is entered unless an exclude glob matches it.
    bool entersFolder(const std::string& name, const std::string& relativePath) const;

private:
    static bool anyMatches(const std::vector<std::string>& globs, const std::string& name,
                           const std::string& relativePath);

    std::vector<std::string> includes_;
    std::vector<std::string> excludes_;
};

}  // namespace kinfold::cli
