#include "search/PathText.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace kinfold {

#if defined(_WIN32)

std::string textFromWide(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    // One UTF-16 unit never takes more than 3 bytes of UTF-8.
    std::string text(wide.size() * 3, '\0');
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                                        static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

std::wstring wideFromText(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    // One byte of UTF-8 never gives more than one UTF-16 unit.
    std::wstring wide(text.size(), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                        static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return wide;
}

std::string pathText(const std::filesystem::path& path) { return textFromWide(path.native()); }

std::filesystem::path pathFromText(std::string_view text) { return std::filesystem::path(wideFromText(text)); }

#else

std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathFromText(std::string_view text) { return std::filesystem::path(std::string(text)); }

#endif

}  // namespace kinfold
