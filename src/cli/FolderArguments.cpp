#include "cli/FolderArguments.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <thread>

namespace kinfold::cli {

void addNameFilterOptions(CLI::App& app, FolderWords& words, std::string_view verb) {
    app.add_option("--include", words.includes,
                   "in folders, " + std::string(verb) +
                       " only files whose name matches GLOB (repeatable; a GLOB with / matches the path below the "
                       "folder given)")
        ->type_name("GLOB")
        ->allow_extra_args(false);
    app.add_option("--exclude", words.excludes,
                   "in folders, skip files and folders whose name matches GLOB (repeatable)")
        ->type_name("GLOB")
        ->allow_extra_args(false);
}

void addRunOptions(CLI::App& app, FolderWords& words, std::string_view verb, const std::string& threadsHelp) {
    words.threads = std::max(1u, std::thread::hardware_concurrency());
    app.add_option("-j,--threads", words.threads, threadsHelp)->type_name("N")->check(CLI::Range(1, 1024));
    app.add_flag("-q,--quiet", words.quiet, "no progress line");
    app.add_option("PATH", words.paths, "files and folders to " + std::string(verb) + " (folders recursively)")
        ->type_name("PATH")
        ->required();
}

}  // namespace kinfold::cli
