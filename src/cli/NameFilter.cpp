#include "cli/NameFilter.h"

#if defined(_WIN32)
#include "cli/GlobMatch.h"
#else
#include <fnmatch.h>
#endif

namespace kinfold::cli {

bool NameFilter::anyMatches(const std::vector<std::string>& globs, const std::string& name,
                            const std::string& relativePath) {
    for (const std::string& glob : globs) {
        const bool byPath = glob.find('/') != std::string::npos;
        const std::string& subject = byPath ? relativePath : name;
#if defined(_WIN32)
        if (globMatches(glob, subject, byPath)) {
#else
        if (::fnmatch(glob.c_str(), subject.c_str(), byPath ? FNM_PATHNAME : 0) == 0) {
#endif
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
