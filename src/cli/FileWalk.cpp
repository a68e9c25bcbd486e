#include "cli/FileWalk.h"

#include "search/FileReader.h"
#include "search/ScanError.h"

#include <algorithm>
#include <system_error>

namespace kinfold::cli {
namespace {

namespace fs = std::filesystem;

FoundFile fileProblem(const fs::path& path, const std::string& reason) {
    return {path, 0, ScanError{pathText(path), reason, ScanError::Stage::Open, 0}.message()};
}

FoundFile folderProblem(const fs::path& path, std::error_code code) {
    return {path, 0, "Can't read the folder \"" + pathText(path) + "\": " + errorReason(code) + "."};
}

class Walk {
public:
    Walk(const NameFilter& filter, std::vector<FoundFile>& found) : filter_(filter), found_(found) {}

    void root(const fs::path& path) {
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status)) {
            folder(path, "");
        } else if (fs::is_regular_file(status)) {
            addFile(path);
        } else if (!fs::exists(status)) {
            found_.push_back(fileProblem(path, ec && ec != std::errc::no_such_file_or_directory
                                                   ? errorReason(ec)
                                                   : std::string(kNoSuchFileReason)));
        } else {
            found_.push_back(fileProblem(path, kNotAFileReason));
        }
    }

private:
    void folder(const fs::path& path, const std::string& relative) {
        std::error_code ec;
        std::vector<fs::directory_entry> entries;
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
            entries.push_back(*it);
        }
        if (ec) {
            found_.push_back(folderProblem(path, ec));
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const fs::directory_entry& a, const fs::directory_entry& b) {
            return a.path().filename().native() < b.path().filename().native();
        });
        for (const fs::directory_entry& entry : entries) {
            const std::string name = entry.path().filename().string();
            const std::string below = relative.empty() ? name : relative + "/" + name;
            std::error_code own;
            const fs::file_status link = entry.symlink_status(own);
            std::error_code targetError;
            const fs::file_status target = fs::is_symlink(link) ? fs::status(entry.path(), targetError) : link;
            if (fs::is_directory(target)) {
                // A link to a folder could lead back up the tree or out of it.
                if (!fs::is_symlink(link) && filter_.entersFolder(name, below)) {
                    folder(entry.path(), below);
                }
                continue;
            }
            if (!filter_.takesFile(name, below)) {
                continue;
            }
            if (fs::is_regular_file(target)) {
                addFile(entry.path());
            } else if (!fs::exists(target)) {
                found_.push_back(fileProblem(entry.path(), kNoSuchFileReason));
            } else {
                found_.push_back(fileProblem(entry.path(), kNotAFileReason));
            }
        }
    }

    void addFile(const fs::path& path) {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(path, ec);
        found_.push_back({path, ec ? 0 : static_cast<std::uint64_t>(size), std::nullopt});
    }

    const NameFilter& filter_;
    std::vector<FoundFile>& found_;
};

}  // namespace

std::vector<FoundFile> findFiles(const std::vector<fs::path>& paths, const NameFilter& filter) {
    std::vector<FoundFile> found;
    Walk walk(filter, found);
    for (const fs::path& path : paths) {
        walk.root(path);
    }
    return found;
}

}  // namespace kinfold::cli
