#pragma once

#include "cli/FilePool.h"
#include "cli/FileWalk.h"
#include "cli/PointersArguments.h"

#include <vector>

namespace kinfold::cli {

// Searches the files for pointers to the command's targets with a pool of
// workers, and writes one line per (pointer, target) to out (PointerPrinter's
// lines), in the order of files, each file's lines in order of position, then
// target. Targets past the end of a file, or in its header, are reported to
// progress and left out; a file whose mapping can't be had is reported and
// counts as failed.
PoolOutcome findPointers(const std::vector<FoundFile>& files, const PointersCommand& command,
                         const OrderedOutput::Sink& out, Progress& progress);

}  // namespace kinfold::cli
