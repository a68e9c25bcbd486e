#include "script/ScriptLine.h"

#include "search/ResultLine.h"

namespace kinfold {

std::string scriptLine(const ScriptString& string) {
    std::string line;
    appendScriptLine(string.offset, string.text, line);
    return line;
}

void appendScriptLine(std::uint64_t offset, std::string_view text, std::string& out) {
    out += resultLine(offset);
    out += "  ";
    appendEscapedText(text, out);
}

void appendEscapedText(std::string_view text, std::string& out) {
    // Written so that the line reads back as the text: a backslash doubled, a line break as "\n".
    std::size_t from = 0;
    for (std::size_t at = text.find_first_of("\\\n"); at != std::string_view::npos;
         at = text.find_first_of("\\\n", from)) {
        out.append(text, from, at - from);
        out += text[at] == '\n' ? "\\n" : "\\\\";
        from = at + 1;
    }
    out.append(text, from);
}

std::string unescapedText(std::string_view written) {
    std::string out;
    out.reserve(written.size());
    for (std::size_t at = 0; at < written.size(); ++at) {
        if (written[at] == '\\' && at + 1 < written.size() && (written[at + 1] == 'n' || written[at + 1] == '\\')) {
            out += written[at + 1] == 'n' ? '\n' : '\\';
            ++at;
        } else {
            out += written[at];
        }
    }
    return out;
}

}  // namespace kinfold
