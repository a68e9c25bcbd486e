#include "cli/DumpPrinter.h"

#include "cli/JsonLine.h"
#include "script/ScriptLine.h"
#include "search/ResultLine.h"

namespace kinfold::cli {

ScriptStringsFormat dumpLines(const std::string& path, bool json) {
    if (!json) {
        return [path](const ScriptStrings& strings, std::string& lines) {
            for (std::size_t k = 0; k < strings.size(); ++k) {
                lines += path;
                lines += ':';
                appendScriptLine(strings[k].offset, strings.text(k), lines);
                lines += '\n';
            }
        };
    }
    return [path](const ScriptStrings& strings, std::string& lines) {
        // One object for every line, its values changed in place.
        nlohmann::ordered_json line{{"path", path}, {"offset", 0}, {"length", 0}, {"text", ""}, {"ended", false}};
        nlohmann::ordered_json& offset = line["offset"];
        nlohmann::ordered_json& length = line["length"];
        std::string& decoded = line["text"].get_ref<std::string&>();
        nlohmann::ordered_json& ended = line["ended"];
        for (std::size_t k = 0; k < strings.size(); ++k) {
            offset = strings[k].offset;
            length = strings[k].length;
            decoded.assign(strings.text(k));
            ended = strings[k].ended;
            appendJsonLine(line, lines);
        }
    };
}

void appendTableLine(const std::string& path, const TablePointer& pointer, const std::optional<ScriptString>& string,
                     std::uint64_t size, bool json, std::string& text) {
    std::string outside;
    if (!pointer.target) {
        outside = "outside the file: the value " + resultLine(pointer.value) + " is no address in the cartridge";
    } else if (!string) {
        outside = "outside the file, which ends at " + resultLine(size);
    }
    if (json) {
        nlohmann::ordered_json line{{"path", path}};
        line["offset"] = pointer.target ? nlohmann::ordered_json(*pointer.target) : nlohmann::ordered_json();
        line["pointer"] = pointer.offset;
        if (string) {
            line["length"] = string->length;
            line["text"] = string->text;
            line["ended"] = string->ended;
        } else {
            line["outside"] = outside;
        }
        appendJsonLine(line, text);
        return;
    }
    text += path;
    text += ':';
    const std::string target = pointer.target ? resultLine(*pointer.target) : "-";
    if (string && string->length > 0) {
        // The script's line, with the pointer after the string's offset.
        std::string line = scriptLine(*string);
        line.insert(target.size(), " <- " + resultLine(pointer.offset));
        text += line;
    } else {
        text += target + " <- " + resultLine(pointer.offset) + "  (" +
                (string ? std::string("no table entry matches here") : outside) + ")";
    }
    text += '\n';
}

}  // namespace kinfold::cli
