#include "table/TableDecoding.h"

#include "pattern/CharacterCode.h"

namespace kinfold {

std::string decodeCell(const CharacterTable& table, std::uint32_t unit) {
    const std::string* text = table.find(unit);
    if (text == nullptr) return std::string(kUndecodedUnit);
    const auto first = decodeFirstCharacter(*text);
    if (!first || first->length != text->size()) return std::string(kUndecodedUnit);
    return *text;
}

std::string decodeText(const CharacterTable& table, std::span<const std::uint8_t> bytes) {
    const auto unitBytes = static_cast<std::size_t>(table.unitBytes());
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    for (; at + unitBytes <= bytes.size(); at += unitBytes) {
        const std::string* text = table.find(readUnit(bytes.data() + at, table.unitBytes(), table.byteOrder()));
        out += text != nullptr ? std::string_view(*text) : kUndecodedUnit;
    }
    if (at < bytes.size()) out += kUndecodedUnit;
    return out;
}

}  // namespace kinfold
