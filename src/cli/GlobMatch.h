#pragma once

#include <string_view>

namespace kinfold::cli {

// Whether a shell-style glob matches text, byte by byte as POSIX fnmatch()
// does in the C locale without flags, or with FNM_PATHNAME when byPath: *
// (any run of bytes), ? (one byte), [...] (one of a set: ranges a-z, classes
// [:alpha:], ! or ^ to negate), \ to take the next byte as it is; byPath
// keeps *, ? and [...] from matching a slash. Systems without fnmatch() use
// this.
bool globMatches(std::string_view glob, std::string_view text, bool byPath);

}  // namespace kinfold::cli
