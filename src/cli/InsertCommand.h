#pragma once

#include <ostream>

namespace kinfold::cli {

// `kinfold insert`: argv from "insert" on. Plans the whole insertion first
// and writes the outputs (each atomically, none of them the ROM) only when
// every string has its place. With --json, one object per changed string to
// out; the summary line, or every refusal, to err. Returns the exit status:
// 0 when a string changed, 1 when none did (the outputs still written), 2
// when refused (nothing written).
int runInsert(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kinfold::cli
