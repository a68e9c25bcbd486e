#include "script/ScriptLine.h"

#include "search/ResultLine.h"

namespace kinfold {

std::string scriptLine(const ScriptString& string) {
    std::string line = resultLine(string.offset);
    line += "  ";
    for (const char c : string.text) {
        if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    return line;
}

}  // namespace kinfold
