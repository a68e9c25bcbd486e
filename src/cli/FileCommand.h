#pragma once

#include "cli/FilePool.h"
#include "cli/FileWalk.h"
#include "cli/FolderArguments.h"
#include "cli/NameFilter.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kinfold::cli {

// What a command does with the files found: searches them, writing to the sink.
using FilesSearch =
    std::function<PoolOutcome(const std::vector<FoundFile>& files, const OrderedOutput::Sink& out, Progress& progress)>;

// The part every command over files shares: finds the files the words name,
// searches them with a progress line on err when it is a terminal and the
// words don't ask for quiet, writes the output to out, and gives the exit
// status: 0 when something matched, 1 when nothing did, 2 when a path could
// not be searched or the output not written.
int runOverFiles(const FolderWords& folders, bool errIsTerminal, std::ostream& out, std::ostream& err,
                 const FilesSearch& search);

}  // namespace kinfold::cli
