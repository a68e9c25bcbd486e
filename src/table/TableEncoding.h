#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kinfold {

// The encodings a table file is read in. A file is UTF-16 when it starts with
// a UTF-16 byte order mark, Shift JIS (code page 932) when it is not UTF-8
// and reads as Shift JIS, and UTF-8 otherwise.
enum class TableEncoding { Utf8, Utf16Little, Utf16Big, ShiftJis };

// Whether text is whole UTF-8 characters.
bool isUtf8(std::string_view text);

// "UTF-8", "UTF-16 little-endian", "UTF-16 big-endian", "Shift JIS": as in "read as Shift JIS".
std::string_view encodingName(TableEncoding encoding);

// The byte order mark a file of the encoding starts with when it has one.
std::string_view byteOrderMark(TableEncoding encoding);

// Which encoding the bytes of a file are in, and how long its byte order mark is.
struct DetectedEncoding {
    TableEncoding encoding = TableEncoding::Utf8;
    std::size_t markBytes = 0;
};
DetectedEncoding detectEncoding(std::string_view fileBytes);

// Text of the encoding (no byte order mark) as UTF-8, or nullopt where it is
// not well formed: an odd byte count or an unpaired surrogate in UTF-16,
// invalid sequences in UTF-8 and Shift JIS.
std::optional<std::string> textFromEncoding(TableEncoding encoding, std::string_view bytes);

// UTF-8 text in the encoding, or the first character it has no code for.
struct TextInEncoding {
    std::optional<std::string> bytes;
    std::string refused;  // the UTF-8 of the character that can't be written, when bytes is nullopt
};
TextInEncoding textInEncoding(TableEncoding encoding, std::string_view utf8);

}  // namespace kinfold
