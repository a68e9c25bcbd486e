#include "cli/Kinfold.h"

#include <iostream>

#if defined(_WIN32)
#include "search/PathText.h"

#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The arguments come as the system's UTF-16 and go on as UTF-8, so a ROM
// named in kana is found. Output is UTF-8 too, and the console is told so;
// both streams are binary, so a line ends in "\n" alone, the same bytes as
// on Linux, in a file or a pipe as on the console.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> words;
    words.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        words.push_back(kinfold::textFromWide(argv[i]));
    }
    std::vector<const char*> args;
    for (const std::string& word : words) {
        args.push_back(word.c_str());
    }
    ::SetConsoleOutputCP(CP_UTF8);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // The progress line is for a console; a file, a pipe or NUL gets none.
    DWORD mode = 0;
    const bool errIsConsole = ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
    // Hits are written in large pieces; C stdio is not used alongside.
    std::ios::sync_with_stdio(false);
    return kinfold::cli::runKinfold(argc, args.data(), std::cout, std::cerr, errIsConsole);
}

#else

#include <unistd.h>

int main(int argc, char** argv) {
    // Hits are written in large pieces; C stdio is not used alongside.
    std::ios::sync_with_stdio(false);
    return kinfold::cli::runKinfold(argc, argv, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}

#endif
