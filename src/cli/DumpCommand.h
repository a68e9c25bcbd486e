#pragma once

#include "cli/FolderArguments.h"
#include "cli/PointerFormatArguments.h"
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
    FolderWords folders;
    // --pointer-table OFFSET,COUNT, --bank N and the pointers' format, as given:
    // the strings a table of pointers leads to instead of those of a range.
    std::string pointerTable;
    std::string bank;
    PointerFormatWords pointerFormat;
};

// Adds the `dump` subcommand to the program's arguments; command is filled
// in when the arguments choose it.
CLI::App* addDumpCommand(CLI::App& app, DumpCommand& command);

// Runs a dump: every kept string of every file, as text lines or JSON Lines
// to out, messages and progress to err. With a pointer table: the string
// each pointer leads to, whatever its length, in table order, one line each:
//   PATH:OFFSET (HEX hex) <- POINTER (HEX hex)  TEXT
// with the pointer's own offset, and a pointer that leads outside the file
// said so in place of the text. The exit status: 0 when some string
// was printed, 1 when none, 2 on trouble.
int runDump(const DumpCommand& command, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace kinfold::cli
