#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace kinfold {

// Why a file could not be searched, as a value for the window to show.
struct ScanError {
    enum class Stage {
        Open,  // the file could not be opened
        Read,  // reading failed part way through the scan
    };

    std::string path;
    std::string reason;
    Stage stage = Stage::Open;
    // For Stage::Read: the 0-based offset of the first candidate the scan
    // did not examine.
    std::uint64_t offset = 0;

    // Open: Can't open the ROM file "<path>": <reason>.
    // Read: Can't read the ROM file "<path>": <reason>. The search stopped at offset <offset>.
    std::string message() const;

    friend bool operator==(const ScanError&, const ScanError&) = default;
};

// The reasons in plain words.
inline constexpr const char* kNoFileNameReason = "no file name was given";
inline constexpr const char* kNoSuchFileReason = "there is no such file";
inline constexpr const char* kFolderReason = "it is a folder, not a file";
inline constexpr const char* kPermissionReason = "permission denied";
inline constexpr const char* kNotAFileReason = "it is not an ordinary file";
inline constexpr const char* kShrankReason = "the file became shorter while it was searched";
inline constexpr const char* kNoSizeReason =
    "it reports a size of 0 but has contents, like the system's files under /proc; copy it to an ordinary "
    "file to search it";
// Windows alone: another program opened the file without sharing it, or locked a part of it.
inline constexpr const char* kLockedReason = "another program has locked it";
inline constexpr const char* kNoMemoryReason = "there is not enough memory to search it";
inline constexpr const char* kBadPatternReason = "the search pattern needs 2 to 1000 entries";

// The reason for a system error number (errno): one of the phrases above
// where one fits, the system's own text otherwise.
std::string errorReason(int errorNumber);
// The same for an error code of any category (std::filesystem reports
// the platform's own codes; on Windows, the system category holds the
// system's own error numbers, GetLastError()).
std::string errorReason(std::error_code code);

}  // namespace kinfold
