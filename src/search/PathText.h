#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kinfold {

// Paths are UTF-8 text inside the program, whatever the platform's own
// encoding; on Windows the system's calls take them as UTF-16.

// The path as UTF-8 text for messages and name filters.
std::string pathText(const std::filesystem::path& path);
// The path that UTF-8 text names (a command-line argument, a name in a file).
std::filesystem::path pathFromText(std::string_view text);

#if defined(_WIN32)
// UTF-16 from the system as UTF-8; a lone surrogate becomes U+FFFD.
std::string textFromWide(std::wstring_view wide);
// UTF-8 as UTF-16 for the system; bytes that are not UTF-8 become U+FFFD.
std::wstring wideFromText(std::string_view text);
#endif

}  // namespace kinfold
