#pragma once

#include "cli/FilePool.h"
#include "cli/FileWalk.h"
#include "cli/HitPrinter.h"
#include "cli/OrderedOutput.h"
#include "cli/Progress.h"
#include "search/CompiledPattern.h"

#include <cstdint>
#include <vector>

namespace kinfold::cli {

struct ScanSettings {
    unsigned threads = 1;
    std::uint64_t maxCount = 0;  // hits a file may print before it is left; 0 for no limit
    PrintContext print;          // the pattern, how values are read, what is printed
};

using ScanOutcome = PoolOutcome;

// Searches the files with a pool of workers, each with its own scanner and so
// a few blocks of memory, and writes their hits to out in the order of files,
// each file's hits in offset order; messages go to progress in the same order.
ScanOutcome scanFiles(const std::vector<FoundFile>& files, const ScanSettings& settings, const OrderedOutput::Sink& out,
                      Progress& progress);

}  // namespace kinfold::cli
