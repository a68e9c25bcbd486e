#include "cli/FileCommand.h"

#include "search/PathText.h"

#include <filesystem>

namespace kinfold::cli {

int runOverFiles(const FolderWords& folders, bool errIsTerminal, std::ostream& out, std::ostream& err,
                 const FilesSearch& search) {
    const bool showProgress = errIsTerminal && !folders.quiet;
    std::vector<std::filesystem::path> roots;
    for (const std::string& path : folders.paths) {
        roots.push_back(pathFromText(path));
    }
    const std::vector<FoundFile> files = findFiles(roots, NameFilter(folders.includes, folders.excludes), showProgress);
    std::uint64_t totalBytes = 0;
    for (const FoundFile& file : files) {
        totalBytes += file.size;
    }

    Progress progress(err, showProgress, files.size(), totalBytes);
    const PoolOutcome outcome = search(
        files, [&out](std::string_view text) { out.write(text.data(), static_cast<std::streamsize>(text.size())); },
        progress);
    out.flush();
    bool failed = outcome.failed;
    if (!out) {
        progress.message("Can't write the output: the standard output refused it.");
        failed = true;
    }
    progress.stop();
    if (failed) {
        return 2;
    }
    return outcome.matched ? 0 : 1;
}

}  // namespace kinfold::cli
