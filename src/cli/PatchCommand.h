#pragma once

#include <ostream>

namespace kinfold::cli {

// `kinfold patch PATCH ROM -o OUT`: argv from "patch" on. Applies an IPS or
// BPS patch to the ROM and writes the result to OUT atomically (never the
// ROM or the patch). Says what it wrote on err; returns 0, or 2 when refused.
int runPatch(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace kinfold::cli
