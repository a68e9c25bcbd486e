#include "search/ScanError.h"

namespace kinfold {

std::string ScanError::message() const {
    if (stage == Stage::Open) {
        return "Can't open the ROM file \"" + path + "\": " + reason + ".";
    }
    return "Can't read the ROM file \"" + path + "\": " + reason + ". The search stopped at offset " +
           std::to_string(offset) + ".";
}

std::string errorReason(int errorNumber) {
    return errorReason(std::error_code(errorNumber, std::generic_category()));
}

std::string errorReason(std::error_code code) {
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
