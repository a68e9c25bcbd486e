#include "table/ShiftJis.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <cerrno>
#endif

#include <climits>

namespace kinfold {

#ifdef _WIN32
namespace {

constexpr UINT kShiftJisCodePage = 932;

// UTF-16 from bytes of a code page, refusing any byte the page has no character for.
std::optional<std::wstring> toWide(UINT page, std::string_view text) {
    if (text.empty()) return std::wstring();
    if (text.size() > INT_MAX) return std::nullopt;
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    if (MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), wide) != wide) {
        return std::nullopt;
    }
    return out;
}

// Bytes of a code page from UTF-16. For Shift JIS a character without a code
// is refused: no best fit, no default character.
std::optional<std::string> fromWide(UINT page, const std::wstring& wide) {
    if (wide.empty()) return std::string();
    if (wide.size() > INT_MAX) return std::nullopt;
    const int size = static_cast<int>(wide.size());
    const bool strict = page != CP_UTF8;
    const DWORD flags = strict ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = strict ? &usedDefault : nullptr;
    const int bytes = WideCharToMultiByte(page, flags, wide.data(), size, nullptr, 0, nullptr, used);
    if (bytes <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(page, flags, wide.data(), size, out.data(), bytes, nullptr, used) != bytes || usedDefault) {
        return std::nullopt;
    }
    return out;
}

}  // namespace

std::optional<std::string> shiftJisToUtf8(std::string_view shiftJis) {
    const auto wide = toWide(kShiftJisCodePage, shiftJis);
    if (!wide) return std::nullopt;
    return fromWide(CP_UTF8, *wide);
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8) {
    const auto wide = toWide(CP_UTF8, utf8);
    if (!wide) return std::nullopt;
    return fromWide(kShiftJisCodePage, *wide);
}

#else
namespace {

// The whole of text through iconv from one encoding to another; nullopt at
// the first byte or character that does not convert.
std::optional<std::string> convert(const char* to, const char* from, std::string_view text) {
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    char buffer[4096];
    char* in = const_cast<char*>(text.data());  // iconv's signature; it never writes there
    std::size_t inLeft = text.size();
    bool ok = true;
    // A last call with no input ends a shift state, as iconv asks.
    for (bool flushing = false;;) {
        char* put = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done =
            flushing ? iconv(converter, nullptr, nullptr, &put, &room) : iconv(converter, &in, &inLeft, &put, &room);
        out.append(buffer, static_cast<std::size_t>(put - buffer));
        if (done == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            ok = false;  // EILSEQ: not convertible; EINVAL: cut short at the end
            break;
        }
        if (flushing) break;
        flushing = true;
    }
    iconv_close(converter);
    if (!ok) return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::string> shiftJisToUtf8(std::string_view shiftJis) { return convert("UTF-8", "CP932", shiftJis); }

std::optional<std::string> utf8ToShiftJis(std::string_view utf8) { return convert("CP932", "UTF-8", utf8); }

#endif

}  // namespace kinfold
