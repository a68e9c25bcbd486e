#pragma once

#include <ostream>

namespace kinfold::cli {

// `kinfold pointers`: argv from "pointers" on. Prints the pointers to out
// and the messages (and, when errIsTerminal, a progress line) to err.
// Returns the exit status: 0 when a pointer was found, 1 when none was, 2
// when an error occurred.
int runPointers(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace kinfold::cli
