#pragma once

#include <ostream>

namespace kinfold::cli {

// The whole `kinfold` program: reads the arguments, searches (`kinfold scan`)
// or finds pointers (`kinfold pointers`), prints the hits to out and the
// messages (and, when errIsTerminal, a progress line) to err. Returns the exit
// status: 0 when something matched, 1 when nothing did, 2 when an error occurred.
int runKinfold(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace kinfold::cli
