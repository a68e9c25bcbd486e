#include "table/TableFile.h"

#include "pattern/CharacterCode.h"
#include "pattern/QuotedText.h"
#include "search/FileReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <span>
#include <utility>
#include <vector>

namespace kinfold {
namespace {

// Far beyond any table of 32-bit units a person writes, small enough to hold.
constexpr std::uint64_t kMaxTableFileBytes = std::uint64_t{64} << 20;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto c = decodeFirstCharacter(text);
        if (!c) return false;
        text.remove_prefix(c->length);
    }
    return true;
}

// The unit of a line's hex digits, or nullopt when they are not one unit's.
std::optional<std::uint32_t> unitOfHex(std::string_view hex, int unitBytes, ByteOrder order) {
    if (hex.size() != static_cast<std::size_t>(unitBytes) * 2) return std::nullopt;
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t i = 0; i < bytes.size() && 2 * i < hex.size(); ++i) {
        const char* first = hex.data() + 2 * i;
        const auto [end, error] = std::from_chars(first, first + 2, bytes[i], 16);
        if (error != std::errc() || end != first + 2) return std::nullopt;
    }
    return readUnit(bytes.data(), unitBytes, order);
}

}  // namespace

std::string unitHex(std::uint32_t unit, int unitBytes, ByteOrder order) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    std::string hex;
    for (int k = 0; k < unitBytes; ++k) {
        const int shift = 8 * (order == ByteOrder::Little ? k : unitBytes - 1 - k);
        const auto byte = (unit >> shift) & 0xFFu;
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xFu];
    }
    return hex;
}

std::string tableFileText(const CharacterTable& table) {
    std::vector<std::pair<std::string, const std::string*>> lines;
    lines.reserve(table.size());
    for (const auto& [unit, text] : table.entries()) {
        lines.emplace_back(unitHex(unit, table.unitBytes(), table.byteOrder()), &text);
    }
    // Equal-length upper-case hex sorts as the bytes it spells.
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const auto& [hex, text] : lines) {
        out += hex;
        out += '=';
        out += *text;
        out += '\n';
    }
    return out;
}

TableFileRead parseTableFile(std::string_view text, int unitBytes, ByteOrder order) {
    TableFileRead result;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    CharacterTable table(unitBytes, order);
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        const std::size_t equals = line.find('=');
        const auto fail = [&](std::string reason) {
            result.line = number;
            result.reason = std::move(reason);
            return result;
        };
        if (equals == std::string_view::npos) return fail("it has no \"=\"");
        const auto unit = unitOfHex(line.substr(0, equals), unitBytes, order);
        if (!unit) {
            return fail(quotedText(line.substr(0, equals)) + " is not " + std::to_string(unitBytes * 2) +
                        " hex digits");
        }
        const std::string_view value = line.substr(equals + 1);
        if (value.empty()) return fail("it has no text after \"=\"");
        if (!isUtf8(value)) return fail("its text is not UTF-8");
        table.set(*unit, std::string(value));
    }
    result.table = std::move(table);
    return result;
}

TableFileRead readTableFile(const std::filesystem::path& path, int unitBytes, ByteOrder order) {
    TableFileRead result;
    FileReader reader;
    if (!reader.open(path)) {
        result.reason = reader.reason();
        return result;
    }
    if (reader.size() > kMaxTableFileBytes) {
        result.reason = "it is too large to be a table file";
        return result;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(reader.size()));
    if (!reader.read(bytes)) {
        result.reason = reader.reason();
        return result;
    }
    const std::string text(bytes.begin(), bytes.end());
    return parseTableFile(text, unitBytes, order);
}

}  // namespace kinfold
