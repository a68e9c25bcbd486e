#include "table/TableEncoding.h"

#include "pattern/CharacterCode.h"
#include "table/ShiftJis.h"

#include <cstdint>

namespace kinfold {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

std::optional<std::string> utf16ToUtf8(std::string_view bytes, bool big) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const auto unitAt = [&](std::size_t i) {
        const auto a = static_cast<std::uint8_t>(bytes[i]);
        const auto b = static_cast<std::uint8_t>(bytes[i + 1]);
        return static_cast<char32_t>(big ? (a << 8 | b) : (b << 8 | a));
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t c = unitAt(i);
        if (c >= 0xDC00 && c <= 0xDFFF) return std::nullopt;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 3 >= bytes.size()) return std::nullopt;
            const char32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        out += utf8Text(c);
    }
    return out;
}

void appendUnit(std::string& out, char32_t unit, bool big) {
    const auto high = static_cast<char>((unit >> 8) & 0xFF);
    const auto low = static_cast<char>(unit & 0xFF);
    out += big ? high : low;
    out += big ? low : high;
}

std::optional<std::string> utf8ToUtf16(std::string_view text, bool big) {
    std::string out;
    out.reserve(text.size() * 2);
    while (!text.empty()) {
        const auto c = decodeFirstCharacter(text);
        if (!c) return std::nullopt;
        text.remove_prefix(c->length);
        if (c->codePoint >= 0x10000) {
            const char32_t v = c->codePoint - 0x10000;
            appendUnit(out, 0xD800 + (v >> 10), big);
            appendUnit(out, 0xDC00 + (v & 0x3FF), big);
        } else {
            appendUnit(out, c->codePoint, big);
        }
    }
    return out;
}

}  // namespace

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto c = decodeFirstCharacter(text);
        if (!c) return false;
        text.remove_prefix(c->length);
    }
    return true;
}

std::string_view encodingName(TableEncoding encoding) {
    switch (encoding) {
    case TableEncoding::Utf8: return "UTF-8";
    case TableEncoding::Utf16Little: return "UTF-16 little-endian";
    case TableEncoding::Utf16Big: return "UTF-16 big-endian";
    case TableEncoding::ShiftJis: return "Shift JIS";
    }
    return "UTF-8";
}

std::string_view byteOrderMark(TableEncoding encoding) {
    switch (encoding) {
    case TableEncoding::Utf8: return kUtf8Mark;
    case TableEncoding::Utf16Little: return kUtf16LittleMark;
    case TableEncoding::Utf16Big: return kUtf16BigMark;
    case TableEncoding::ShiftJis: return {};
    }
    return {};
}

DetectedEncoding detectEncoding(std::string_view fileBytes) {
    if (fileBytes.starts_with(kUtf8Mark)) return {TableEncoding::Utf8, kUtf8Mark.size()};
    if (fileBytes.starts_with(kUtf16LittleMark)) return {TableEncoding::Utf16Little, kUtf16LittleMark.size()};
    if (fileBytes.starts_with(kUtf16BigMark)) return {TableEncoding::Utf16Big, kUtf16BigMark.size()};
    if (!isUtf8(fileBytes) && shiftJisToUtf8(fileBytes)) return {TableEncoding::ShiftJis, 0};
    return {TableEncoding::Utf8, 0};
}

std::optional<std::string> textFromEncoding(TableEncoding encoding, std::string_view bytes) {
    switch (encoding) {
    case TableEncoding::Utf8: return isUtf8(bytes) ? std::optional<std::string>(bytes) : std::nullopt;
    case TableEncoding::Utf16Little: return utf16ToUtf8(bytes, false);
    case TableEncoding::Utf16Big: return utf16ToUtf8(bytes, true);
    case TableEncoding::ShiftJis: return shiftJisToUtf8(bytes);
    }
    return std::nullopt;
}

TextInEncoding textInEncoding(TableEncoding encoding, std::string_view utf8) {
    const auto whole = [&](std::string_view text) -> std::optional<std::string> {
        switch (encoding) {
        case TableEncoding::Utf8: return isUtf8(text) ? std::optional<std::string>(text) : std::nullopt;
        case TableEncoding::Utf16Little: return utf8ToUtf16(text, false);
        case TableEncoding::Utf16Big: return utf8ToUtf16(text, true);
        case TableEncoding::ShiftJis: return utf8ToShiftJis(text);
        }
        return std::nullopt;
    };
    TextInEncoding result;
    result.bytes = whole(utf8);
    if (result.bytes) return result;
    // Character by character, to name the first one that does not go.
    for (std::string_view rest = utf8; !rest.empty();) {
        const auto c = decodeFirstCharacter(rest);
        const std::size_t length = c ? c->length : 1;
        if (!c || !whole(rest.substr(0, length))) {
            result.refused = std::string(rest.substr(0, length));
            return result;
        }
        rest.remove_prefix(length);
    }
    return result;
}

}  // namespace kinfold
