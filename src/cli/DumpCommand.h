#pragma once

#include "script/ScriptDump.h"

#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kinfold::cli {

// The words of `kinfold dump ...`, read and checked.
struct DumpCommand {
    std::string tableFile;
    DumpSettings settings;
    bool json = false;
    std::vector<std::string> includes;
    std::vector<std::string> excludes;
    std::vector<std::string> paths;
    unsigned threads = 1;
    bool quiet = false;
};

// Adds the `dump` subcommand to the program's arguments; command is filled
// in when the arguments choose it.
CLI::App* addDumpCommand(CLI::App& app, DumpCommand& command);

// Runs a dump: every kept string of every file, as text lines or JSON Lines
// to out, messages and progress to err. The exit status: 0 when some string
// was printed, 1 when none, 2 on trouble.
int runDump(const DumpCommand& command, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace kinfold::cli
