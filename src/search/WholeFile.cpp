#include "search/WholeFile.h"

#include "search/FileReader.h"

#include <new>
#include <system_error>

namespace kinfold {

std::variant<std::vector<std::uint8_t>, std::string> readWholeFile(const std::filesystem::path& path,
                                                                   std::uint64_t maxBytes) {
    FileReader reader;
    if (!reader.open(path)) return reader.reason();
    if (reader.size() > maxBytes) {
        return "it is " + std::to_string(reader.size()) + " bytes, more than the " + std::to_string(maxBytes) +
               " taken";
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(reader.size()));
    } catch (const std::bad_alloc&) {
        return std::string("there is not enough memory to read it");
    }
    const PositionalRead read = reader.readAt(0, bytes);
    if (read.got < bytes.size()) return read.reason;
    return bytes;
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code code;
    const bool same = std::filesystem::equivalent(a, b, code);
    return !code && same;
}

}  // namespace kinfold
