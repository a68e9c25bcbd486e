#include "cli/NameFilter.h"

#include <fnmatch.h>

namespace kinfold::cli {

bool NameFilter::anyMatches(const std::vector<std::string>& globs, const std::string& name,
                            const std::string& relativePath) {
    for (const std::string& glob : globs) {
        const bool byPath = glob.find('/') != std::string::npos;
        const std::string& subject = byPath ? relativePath : name;
        if (::fnmatch(glob.c_str(), subject.c_str(), byPath ? FNM_PATHNAME : 0) == 0) {
            return true;
        }
    }
    return false;
}

bool NameFilter::takesFile(const std::string& name, const std::string& relativePath) const {
    if (anyMatches(excludes_, name, relativePath)) {
        return false;
    }
    return includes_.empty() || anyMatches(includes_, name, relativePath);
}

bool NameFilter::entersFolder(const std::string& name, const std::string& relativePath) const {
    return !anyMatches(excludes_, name, relativePath);
}

}  // namespace kinfold::cli
