#include "files/DialogFilter.h"

#include <utility>

namespace kinfold {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The text up to the next separator, which is taken off too.
std::string_view takePart(std::string_view& rest, char separator) {
    const std::size_t at = rest.find(separator);
    const std::string_view part = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view{} : rest.substr(at + 1);
    return part;
}

}  // namespace

std::vector<FilterEntry> parseDialogFilter(std::string_view filter) {
    std::vector<FilterEntry> entries;
    std::string_view rest = filter;
    while (!rest.empty()) {
        FilterEntry entry;
        entry.description = std::string(takePart(rest, '|'));
        std::string_view patterns = takePart(rest, '|');
        while (!patterns.empty()) {
            const std::string_view pattern = trimBlanks(takePart(patterns, ';'));
            if (!pattern.empty()) entry.patterns.emplace_back(pattern);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace kinfold
