#include "table/FileWindow.h"

#include "search/ResultLine.h"

#include "search/FileReader.h"
#include "search/ScanError.h"

#include <algorithm>
#include <span>

namespace kinfold {

FileWindowRead readFileWindow(const std::filesystem::path& path, std::uint64_t searchedSize, std::uint64_t offset,
                              std::uint64_t before, std::uint64_t after, int unitBytes) {
    FileWindowRead result;
    std::string quoted(1, '"');
    quoted.append(pathText(path)).push_back('"');
    FileReader reader;
    if (!reader.open(path)) {
        if (reader.reason() == kNoSuchFileReason) {
            result.status = FileWindowRead::Status::Gone;
            result.message = "The file " + quoted + " is no longer there.";
        } else {
            result.message = "Can't open the file " + quoted + ": " + reader.reason() + ".";
        }
        return result;
    }
    if (reader.size() != searchedSize) {
        result.status = FileWindowRead::Status::SizeChanged;
        result.message = "The file " + quoted + " has changed since the search: it had " +
                         std::to_string(searchedSize) + " bytes and now has " + std::to_string(reader.size()) + ".";
        return result;
    }
    if (offset > reader.size()) {
        result.message = "The offset " + resultLine(offset) + " lies past the end of the file " + quoted + ".";
        return result;
    }
    const auto unit = static_cast<std::uint64_t>(std::max(unitBytes, 1));
    const std::uint64_t lead = std::min(before, offset) / unit * unit;
    const std::uint64_t start = offset - lead;
    const std::uint64_t end = offset + std::min(after, reader.size() - offset);
    FileWindow& window = result.window;
    window.start = start;
    window.fileSize = reader.size();
    window.bytes.resize(static_cast<std::size_t>(end - start));
    const PositionalRead got = reader.readAt(start, std::span<std::uint8_t>(window.bytes));
    if (got.got != window.bytes.size()) {
        window.bytes.clear();
        const bool shrank = got.reason == kShrankReason;
        result.status = shrank ? FileWindowRead::Status::SizeChanged : FileWindowRead::Status::Failed;
        result.message = shrank ? "The file " + quoted + " has become shorter since the search."
                                : "Can't read the file " + quoted + ": " + got.reason + ".";
        return result;
    }
    result.status = FileWindowRead::Status::Read;
    return result;
}

}  // namespace kinfold
