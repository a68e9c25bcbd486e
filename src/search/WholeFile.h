#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace kinfold {

// A file read whole, or the reason it could not be, in plain words; one
// larger than maxBytes is refused.
std::variant<std::vector<std::uint8_t>, std::string> readWholeFile(const std::filesystem::path& path,
                                                                   std::uint64_t maxBytes);

// Whether two paths name the same file, by its device and inode (a link,
// another name of it); false when either is not there.
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace kinfold
