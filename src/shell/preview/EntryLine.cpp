#include "shell/preview/EntryLine.h"

namespace kinfold {
namespace {

std::string spacedHex(const EntryBytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const std::uint8_t byte : bytes) {
        if (!hex.empty()) hex += ' ';
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xFu];
    }
    return hex;
}

// A text as the line shows it: a lone space by name, blanks at its ends kept in sight.
std::string shown(const std::string& text) {
    if (text == " ") return "space";
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += "\u21B5";
        } else {
            out += c;
        }
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (out.empty() || blank(out.front()) || blank(out.back())) return '"' + out + '"';
    return out;
}

std::string withText(const std::string& text, const char* kind) {
    return text.empty() ? std::string(kind) : shown(text) + " (" + kind + ")";
}

}  // namespace

std::string entryLine(const EntryBytes& bytes, const TableEntry* entry) {
    const std::string hex = spacedHex(bytes);
    if (entry == nullptr) return hex + ", no entry";
    switch (entry->kind) {
    case EntryKind::Normal: return hex + " = " + shown(entry->text);
    case EntryKind::End: return hex + " = " + withText(entry->text, "end token");
    case EntryKind::LineBreak: return hex + " = " + withText(entry->text, "line break");
    case EntryKind::Control: {
        const std::string count = std::to_string(entry->parameters);
        const std::string parameters = entry->parameters == 0   ? std::string()
                                       : entry->parameters == 1 ? ", 1 parameter byte"
                                                                : ", " + count + " parameter bytes";
        return hex + " = " + entry->text + " (control" + parameters + ")";
    }
    }
    return hex;
}

}  // namespace kinfold
