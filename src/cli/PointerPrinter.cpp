#include "cli/PointerPrinter.h"

#include "cli/JsonLine.h"
#include "search/ResultLine.h"

namespace kinfold::cli {

void appendPointerLine(const std::string& path, const PointerHit& hit, bool json, std::string& text) {
    if (json) {
        const nlohmann::ordered_json line = {
            {"path", path}, {"offset", hit.offset}, {"target", hit.target}, {"value", hit.value}};
        appendJsonLine(line, text);
        return;
    }
    text += path;
    text += ':';
    text += resultLine(hit.offset);
    text += " -> ";
    text += resultLine(hit.target);
    text += '\n';
}

}  // namespace kinfold::cli
