#include "shell/preview/OffsetToGoTo.h"

#include "pattern/OffsetReader.h"
#include "pattern/QuotedText.h"
#include "search/ResultLine.h"

namespace kinfold {

std::variant<std::uint64_t, std::string> offsetToGoTo(std::string_view text, std::uint64_t fileSize,
                                                      std::string_view file) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    const std::variant<std::uint64_t, std::string> read = readOffset(text);
    if (const auto* reason = std::get_if<std::string>(&read)) return *reason;
    const std::uint64_t offset = std::get<std::uint64_t>(read);
    if (fileSize == 0) return quoted(file) + " is empty: it has no offset to go to.";
    if (offset >= fileSize) {
        return "Offset " + resultLine(offset) + " lies past the end of " + quoted(file) + ": its last byte is at " +
               resultLine(fileSize - 1) + ".";
    }
    return offset;
}

}  // namespace kinfold
