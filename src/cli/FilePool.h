#pragma once

#include "cli/OrderedOutput.h"
#include "cli/Progress.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kinfold::cli {

// What the files of a command came to.
struct PoolOutcome {
    bool matched = false;  // some file had a hit
    bool failed = false;   // some path could not be searched, wholly or in part
};

// One thread's worker: searches the files it is handed, one at a time.
class FileWorker {
public:
    virtual ~FileWorker() = default;
    // Searches file i, writes its output with output.write() as it goes and
    // ends it with output.finish(); returns what the file came to.
    virtual PoolOutcome search(std::size_t i, OrderedOutput& output) = 0;
};

// Ends file i: the bytes of it not searched (searched of size) still count
// as done for the progress, and its text and message go to the output.
void endFile(std::size_t i, std::uint64_t size, std::uint64_t searched, std::string& text,
             const std::optional<std::string>& message, Progress& progress, OrderedOutput& output);

// Searches `files` files with a pool of `threads` workers, each made by
// makeWorker on its own thread (the calling thread is one of them), and
// writes their output to out in the order of files. A file's message may
// hold several, one a line; each goes to progress.
PoolOutcome runFilePool(std::size_t files, unsigned threads, const OrderedOutput::Sink& out, Progress& progress,
                        const std::function<std::unique_ptr<FileWorker>()>& makeWorker);

}  // namespace kinfold::cli
