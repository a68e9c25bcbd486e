#pragma once

#include "table/FileWindow.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kinfold {

// A string's new bytes from an offset of a file, shown in place of the
// file's own: the file itself is never written.
class ChangedBytes {
public:
    ChangedBytes(std::uint64_t offset, std::vector<std::uint8_t> bytes);

    std::uint64_t offset() const { return offset_; }
    std::size_t size() const { return bytes_.size(); }
    // The end of the new bytes, as far as a file of fileSize bytes has room for them.
    std::uint64_t endIn(std::uint64_t fileSize) const;
    // Puts the new bytes the window holds in place of the file's.
    void putInto(FileWindow& window) const;
    // "changed: 12 bytes", "changed: 1 byte".
    std::string caption() const;

private:
    std::uint64_t offset_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace kinfold
