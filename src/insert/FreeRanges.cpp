#include "insert/FreeRanges.h"

#include "pattern/OffsetReader.h"
#include "search/ResultLine.h"

namespace kinfold {

std::optional<ByteRange> readFreeRange(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::variant<std::uint64_t, std::string> start = readOffset(text.substr(0, dash));
    const std::variant<std::uint64_t, std::string> end = readOffset(text.substr(dash + 1));
    if (!std::holds_alternative<std::uint64_t>(start) || !std::holds_alternative<std::uint64_t>(end)) {
        return std::nullopt;
    }
    return ByteRange{std::get<std::uint64_t>(start), std::get<std::uint64_t>(end)};
}

std::variant<std::vector<ByteRange>, std::string> readFreeRanges(std::string_view text) {
    std::vector<ByteRange> ranges;
    constexpr std::string_view kBetween = ", \t";
    for (std::size_t at = text.find_first_not_of(kBetween); at != std::string_view::npos;
         at = text.find_first_not_of(kBetween, at)) {
        const std::size_t end = std::min(text.find_first_of(kBetween, at), text.size());
        const std::string_view piece = text.substr(at, end - at);
        const std::optional<ByteRange> range = readFreeRange(piece);
        if (!range) {
            return "\"" + std::string(piece) +
                   "\" is not START-END: two offsets, each decimal or hex after 0x, END "
                   "exclusive";
        }
        if (range->end <= range->start) {
            return "\"" + std::string(piece) + "\" holds no byte: its end, " + resultLine(range->end) +
                   ", must lie past its start, " + resultLine(range->start);
        }
        ranges.push_back(*range);
        at = end;
    }
    return ranges;
}

}  // namespace kinfold
