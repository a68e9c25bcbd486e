#include "cli/FileWalk.h"

#include "pattern/QuotedText.h"
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
    return {path, 0, "Can't read the folder " + quoted(pathText(path)) + ": " + errorReason(code) + "."};
}

class Walk {
public:
    Walk(const NameFilter& filter, bool measureSizes, std::vector<FoundFile>& found)
        : filter_(filter), measureSizes_(measureSizes), found_(found) {}

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
    struct Entry {
        std::string name;
        fs::directory_entry entry;
    };

    void folder(const fs::path& path, const std::string& relative) {
        std::error_code ec;
        std::vector<Entry> entries;
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
            entries.push_back({pathText(it->path().filename()), *it});
        }
        if (ec) {
            found_.push_back(folderProblem(path, ec));
            return;
        }
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
        for (const auto& [name, entry] : entries) {
            const std::string below = relative.empty() ? name : relative + "/" + name;
            // The kinds come with the folder's listing, so only a link costs a lookup here;
            // the tests below follow links.
            std::error_code own;
            if (entry.is_directory(own)) {
                // A link to a folder could lead back up the tree or out of it.
                if (!entry.is_symlink(own) && filter_.entersFolder(name, below)) {
                    folder(entry.path(), below);
                }
                continue;
            }
            if (!filter_.takesFile(name, below)) {
                continue;
            }
            if (entry.is_regular_file(own)) {
                addFile(entry.path());
            } else if (!entry.exists(own)) {
                found_.push_back(fileProblem(entry.path(), kNoSuchFileReason));
            } else {
                found_.push_back(fileProblem(entry.path(), kNotAFileReason));
            }
        }
    }

    void addFile(const fs::path& path) {
        std::uint64_t size = 0;
        if (measureSizes_) {
            std::error_code ec;
            const std::uintmax_t measured = fs::file_size(path, ec);
            size = ec ? 0 : static_cast<std::uint64_t>(measured);
        }
        found_.push_back({path, size, std::nullopt});
    }

    const NameFilter& filter_;
    const bool measureSizes_;
    std::vector<FoundFile>& found_;
};

}  // namespace

std::vector<FoundFile> findFiles(const std::vector<fs::path>& paths, const NameFilter& filter, bool measureSizes) {
    std::vector<FoundFile> found;
    Walk walk(filter, measureSizes, found);
    for (const fs::path& path : paths) {
        walk.root(path);
    }
    return found;
}

}  // namespace kinfold::cli
