#pragma once

#include "cli/FileWalk.h"
#include "cli/OrderedOutput.h"
#include "cli/Progress.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kinfold::cli {

// What searching one file came to.
struct FileDone {
    bool matched = false;                // it printed something it was searched for
    std::optional<std::string> message;  // why it was not searched wholly
    std::uint64_t counted = 0;           // bytes already added to the progress
};

// One worker's way of searching a file, with buffers of its own.
class FileSearch {
public:
    virtual ~FileSearch() = default;
    // Searches file, handing output to write as it goes (which empties the
    // text given) and leaving the rest in text.
    virtual FileDone search(const FoundFile& file, const std::function<void(std::string&)>& write,
                            std::string& text) = 0;
};

struct PoolOutcome {
    bool matched = false;  // some file had something to print
    bool failed = false;   // some path could not be searched, wholly or in part
};

// Searches the files with a pool of workers, each with the FileSearch
// makeSearch gives it, and writes their output to out in the order of files;
// messages go to progress in the same order.
PoolOutcome runFilePool(const std::vector<FoundFile>& files, unsigned threads, const OrderedOutput::Sink& out,
                        Progress& progress, const std::function<std::unique_ptr<FileSearch>()>& makeSearch);

}  // namespace kinfold::cli
