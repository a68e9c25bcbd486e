#pragma once

#include "cli/DumpArguments.h"

#include <ostream>

namespace kinfold::cli {

// Runs a dump: every kept string of every file, as text lines or JSON Lines
// to out (DumpPrinter's), messages and progress to err. With a pointer
// table: the string each pointer leads to, whatever its length, in table
// order, one line each, with the pointer's own offset, and a pointer that
// leads outside the file said so in place of the text. The exit status: 0
// when some string was printed, 1 when none, 2 on trouble.
int runDump(const DumpCommand& command, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace kinfold::cli
