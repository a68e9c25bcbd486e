#include "insert/PointerList.h"

#include "insert/OffsetField.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace kinfold {
namespace {

constexpr std::string_view kArrow = " -> ";

std::optional<ListedPointer> plainFrom(std::string_view line, std::size_t at, bool& agrees) {
    const std::optional<OffsetField> offset = readOffsetField(line, at);
    if (!offset || !line.substr(offset->end).starts_with(kArrow)) return std::nullopt;
    const std::optional<OffsetField> target = readOffsetField(line, offset->end + kArrow.size());
    if (!target || target->end != line.size()) return std::nullopt;
    agrees = offset->agrees && target->agrees;
    return ListedPointer{0, offset->value, target->value};
}

}  // namespace

PointerListRead readPointerList(std::string_view text) {
    PointerListRead read;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#') continue;
        if (line.front() == '{') {
            const nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
            const bool ok = value.is_object() && value.contains("offset") && value["offset"].is_number_unsigned() &&
                            value.contains("target") && value["target"].is_number_unsigned();
            if (!ok) {
                read.problems.push_back({number, "a JSON line needs \"offset\" and \"target\", each a number"});
                continue;
            }
            read.pointers.push_back(
                {number, value["offset"].get<std::uint64_t>(), value["target"].get<std::uint64_t>()});
            continue;
        }
        std::optional<ListedPointer> pointer;
        bool agrees = true;
        for (std::size_t at = 0; at <= line.size() && !pointer; at = line.find(':', at) + 1) {
            pointer = plainFrom(line, at, agrees);
            if (line.find(':', at) == std::string_view::npos) break;
        }
        if (!pointer) {
            read.problems.push_back({number, "it is not a line of kinfold pointers: P (HEX hex) -> T (HEX hex)"});
        } else if (!agrees) {
            read.problems.push_back({number, "its decimal and hex offsets are not the same numbers"});
        } else {
            pointer->line = number;
            read.pointers.push_back(*pointer);
        }
    }
    return read;
}

}  // namespace kinfold
