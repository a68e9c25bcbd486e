#pragma once

#include "cli/Kinfold.h"

#include <sstream>
#include <string>
#include <vector>

namespace kinfold::testing_support {

// What one run of the program gave.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `kinfold WORDS... ARGS...` in this process, its standard error no terminal.
inline Outcome runKinfoldWith(std::vector<std::string> words, const std::vector<std::string>& args) {
    words.insert(words.begin(), "kinfold");
    words.insert(words.end(), args.begin(), args.end());
    std::vector<const char*> argv;
    for (const std::string& a : words) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::runKinfold(static_cast<int>(argv.size()), argv.data(), out, err, false);
    return {status, out.str(), err.str()};
}

}  // namespace kinfold::testing_support
