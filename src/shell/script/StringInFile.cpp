#include "shell/script/StringInFile.h"

#include <algorithm>

namespace kinfold {

namespace {
constexpr std::uint64_t kFirstRead = 4096;
// More than an entry and its parameters: a string that stops this near the
// end of what was read may go on past it.
constexpr std::uint64_t kNearEnd = 64;
}  // namespace

std::optional<StringInFile> readStringInFile(const FileReader& file, const TableDecoder& table, std::uint64_t offset) {
    if (!file.isOpen() || offset >= file.size()) return std::nullopt;
    StringInFile found;
    found.offset = offset;
    for (std::uint64_t want = kFirstRead;; want *= 2) {
        const std::uint64_t size = std::min(want, file.size() - offset);
        found.bytes.resize(static_cast<std::size_t>(size));
        const PositionalRead read = file.readAt(offset, found.bytes);
        if (read.got < found.bytes.size()) return std::nullopt;
        found.string = romStringAt(found.bytes, table, 0);
        const bool wholeFile = offset + size == file.size();
        if (found.string.ended || wholeFile || found.string.length + kNearEnd < size) return found;
    }
}

}  // namespace kinfold
