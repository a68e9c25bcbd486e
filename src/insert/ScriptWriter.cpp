#include "insert/ScriptWriter.h"

#include "insert/ScriptReader.h"
#include "script/ScriptLine.h"
#include "search/ResultLine.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace kinfold {

namespace {

void appendLine(std::uint64_t offset, std::optional<std::uint64_t> pointer, std::string_view text, std::string& out) {
    if (!plainLineKeeps(text, pointer.has_value())) {
        // A JSON line gives back any text.
        nlohmann::ordered_json line{{"offset", offset}};
        if (pointer) line["pointer"] = *pointer;
        line["text"] = text;
        out += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    } else if (pointer) {
        out += resultLine(offset);
        out += " <- ";
        appendScriptLine(*pointer, text, out);
    } else {
        appendScriptLine(offset, text, out);
    }
    out += '\n';
}

}  // namespace

void appendStringLines(std::uint64_t offset, std::string_view text, std::span<const std::uint64_t> pointers,
                       std::string& out) {
    if (pointers.empty()) appendLine(offset, std::nullopt, text, out);
    for (const std::uint64_t pointer : pointers) appendLine(offset, pointer, text, out);
}

}  // namespace kinfold
