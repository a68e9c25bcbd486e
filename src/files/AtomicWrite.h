#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kinfold {

// Writes bytes to path whole or not at all: into a temporary file in the same
// folder, then renamed over path, so that the old file stays as it was until
// the new one is complete, and the temporary file is removed when anything
// fails. A new file gets the mode 0666 less the umask, a replaced one keeps
// its mode; a symbolic link is followed, the file it names replaced. A
// character device (/dev/null, a terminal) is written directly; a folder, a
// pipe or a socket is refused. Returns the reason in plain words on failure.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kinfold
