#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kinfold {

// The bytes of a file around an offset.
struct FileWindow {
    std::uint64_t start = 0;  // the file offset of bytes[0]
    std::vector<std::uint8_t> bytes;
    std::uint64_t fileSize = 0;
};

// What reading a window gave: the window, or why there is none in words for the user.
struct FileWindowRead {
    enum class Status {
        Read,
        Gone,         // the file is no longer there
        SizeChanged,  // the file's size is not the one it had when it was searched
        Failed,       // it could not be opened or read
    };
    Status status = Status::Failed;
    FileWindow window;
    std::string message;  // empty when the window was read

    bool ok() const { return status == Status::Read; }
};

// Reads up to before bytes in front of offset and up to after bytes from it
// on, clipped to the file, and nothing else, so a window of a file of many
// GiB costs what it shows. The window starts a whole number of units before
// the offset, so that units read from its start line up with the hit. A file
// whose size is no longer searchedSize gives SizeChanged and no bytes.
FileWindowRead readFileWindow(const std::filesystem::path& path, std::uint64_t searchedSize, std::uint64_t offset,
                              std::uint64_t before, std::uint64_t after, int unitBytes = 1);

}  // namespace kinfold
