#include "table/HitShift.h"

#include "pattern/KanaOrder.h"

namespace kinfold {

std::optional<int> firstCheckedEntry(const SearchPattern& pattern) {
    for (int i = 1; i <= pattern.count(); ++i) {
        if (!pattern.isSkipped(i)) return i;
    }
    return std::nullopt;
}

std::optional<std::int64_t> hitShift(const SearchPattern& pattern, std::span<const std::uint8_t> fromHit,
                                     const MatchOptions& options) {
    const auto entry = firstCheckedEntry(pattern);
    if (!entry) return std::nullopt;
    const auto unitBytes = static_cast<std::size_t>(options.unitBytes());
    const std::size_t at = static_cast<std::size_t>(*entry - 1) * unitBytes;
    if (fromHit.size() < at + unitBytes) return std::nullopt;
    const std::uint32_t unit = readUnit(fromHit.data() + at, options.unitBytes(), options.byteOrder);
    return static_cast<std::int64_t>(unit) - pattern.value(*entry);
}

std::string shiftText(std::int64_t shift, const SearchPattern& pattern) {
    std::string text = shift > 0 ? "+" : "";
    text += std::to_string(shift);
    bool scripts[2] = {false, false};
    for (int i = 1; i <= pattern.count(); ++i) {
        if (pattern.isSkipped(i)) continue;
        if (const auto place = kanaPlaceOfCode(pattern.value(i))) {
            scripts[place->script == KanaScript::Hiragana ? 0 : 1] = true;
        }
    }
    const char* const names[2] = {"\u3042=", "\u30A2="};
    const int bases[2] = {kHiraganaBase, kKatakanaBase};
    std::string places;
    for (int s = 0; s < 2; ++s) {
        if (!scripts[s]) continue;
        places += places.empty() ? " (" : ", ";
        places += names[s] + std::to_string(bases[s] + shift);
    }
    if (!places.empty()) text += places + ")";
    return text;
}

}  // namespace kinfold
