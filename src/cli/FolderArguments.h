#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}  // namespace CLI

namespace kinfold::cli {

// The words of a command that goes through files and folders, as given.
struct FolderWords {
    std::vector<std::string> includes;
    std::vector<std::string> excludes;
    std::vector<std::string> paths;
    unsigned threads = 1;
    bool quiet = false;
};

// Adds --include and --exclude; verb is what is done to the files taken ("search").
void addNameFilterOptions(CLI::App& app, FolderWords& words, std::string_view verb);
// Adds -j (threadsHelp its help; the machine's cores unless given), -q and the paths.
void addRunOptions(CLI::App& app, FolderWords& words, std::string_view verb, const std::string& threadsHelp);

}  // namespace kinfold::cli
