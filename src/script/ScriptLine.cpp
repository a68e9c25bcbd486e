#include "script/ScriptLine.h"

#include "search/ResultLine.h"

#include <algorithm>

namespace kinfold {

std::string scriptLine(const ScriptString& string) {
    std::string line;
    appendScriptLine(string.offset, string.text, line);
    return line;
}

void appendScriptLine(std::uint64_t offset, std::string_view text, std::string& out) {
    out += resultLine(offset);
    out += "  ";
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t lineEnd = std::min(text.find('\n', from), text.size());
        out.append(text, from, lineEnd - from);
        if (lineEnd < text.size()) out += "\\n";
        from = lineEnd + 1;
    }
}

}  // namespace kinfold
