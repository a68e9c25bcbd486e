#include "cli/Kinfold.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    // Hits are written in large pieces; C stdio is not used alongside.
    std::ios::sync_with_stdio(false);
    return kinfold::cli::runKinfold(argc, argv, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
