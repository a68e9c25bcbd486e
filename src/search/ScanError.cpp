#include "search/ScanError.h"

#if defined(_WIN32)
#include "search/PathText.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace kinfold {

std::string ScanError::message() const {
    if (stage == Stage::Open) {
        return "Can't open the ROM file \"" + path + "\": " + reason + ".";
    }
    return "Can't read the ROM file \"" + path + "\": " + reason + ". The search stopped at offset " +
           std::to_string(offset) + ".";
}

std::string errorReason(int errorNumber) { return errorReason(std::error_code(errorNumber, std::generic_category())); }

#if defined(_WIN32)
namespace {

// The words for the system's own error numbers: the same as for the POSIX
// ones where one fits, the system's text otherwise.
std::string windowsErrorReason(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY: return kNoSuchFileReason;
    case ERROR_ACCESS_DENIED: return kPermissionReason;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return kLockedReason;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return kNoMemoryReason;
    default: break;
    }
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length > 0 ? textFromWide(std::wstring_view(buffer, length)) : std::string();
    ::LocalFree(buffer);
    // The system's text ends in a full stop and a line break; the message adds its own.
    while (!text.empty() && (text.back() == '.' || text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "error " + std::to_string(error);
    }
    return text;
}

}  // namespace
#endif

std::string errorReason(std::error_code code) {
#if defined(_WIN32)
    if (code.category() == std::system_category()) {
        return windowsErrorReason(static_cast<DWORD>(code.value()));
    }
#endif
    if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory) {
        return kNoSuchFileReason;
    }
    if (code == std::errc::is_a_directory) {
        return kFolderReason;
    }
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted) {
        return kPermissionReason;
    }
    std::string text = code.message();
    if (text.empty()) {
        return "error " + std::to_string(code.value());
    }
    return text;
}

}  // namespace kinfold
