#include "insert/ScriptWriter.h"

#include "script/ScriptLine.h"
#include "search/ResultLine.h"

namespace kinfold {

void appendStringLines(std::uint64_t offset, std::string_view text, std::span<const std::uint64_t> pointers,
                       std::string& out) {
    if (pointers.empty()) {
        appendScriptLine(offset, text, out);
        out += '\n';
        return;
    }
    for (const std::uint64_t pointer : pointers) {
        out += resultLine(offset);
        out += " <- ";
        out += resultLine(pointer);
        out += "  ";
        appendEscapedText(text, out);
        out += '\n';
    }
}

}  // namespace kinfold
