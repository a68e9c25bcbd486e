#include "pattern/StringEntries.h"

#include "pattern/KanaOrder.h"

namespace kinfold {

bool isLetterDigitOrKana(char32_t c) {
    const auto in = [c](char32_t first, char32_t last) { return c >= first && c <= last; };
    if (c < 0x80) return in('0', '9') || in('A', 'Z') || in('a', 'z');
    if (kanaPlace(c)) return true;
    return c == U'ª' || c == U'µ' || c == U'º' ||                             // Latin-1 letters among its symbols
           (in(0xC0, 0x24F) && c != U'×' && c != U'÷') ||                     // Latin-1 letters, Latin Extended
           in(0x370, 0x3FF) || in(0x400, 0x4FF) ||                            // Greek, Cyrillic
           in(0x3041, 0x3096) || in(0x30A1, 0x30FA) ||                        // the other kana
           in(0x3400, 0x4DBF) || in(0x4E00, 0x9FFF) || in(0xFF10, 0xFF19) ||  // ideographs, full-width digits
           in(0xFF21, 0xFF3A) || in(0xFF41, 0xFF5A);                          // full-width letters
}

std::variant<std::vector<StringEntry>, StringEntryError> stringEntries(std::string_view utf8,
                                                                       const StringCoding& coding) {
    std::vector<StringEntry> entries;
    std::size_t at = 0;
    for (int n = 1; at < utf8.size(); ++n) {
        const std::optional<DecodedCharacter> c = decodeFirstCharacter(utf8.substr(at));
        if (!c) return StringEntryError{StringEntryError::Reason::NotUtf8, n, at, {}, 0};
        const StringEntryError refusal{{}, n, at, std::string(utf8.substr(at, c->length)), c->codePoint};
        const StringEntry skipped{std::nullopt, n, at, c->length};
        at += c->length;

        char32_t character = c->codePoint;
        if (character == coding.wildcard || (coding.lettersOnly && !isLetterDigitOrKana(character))) {
            entries.push_back(skipped);
            continue;
        }
        const std::optional<char32_t> basic = coding.splitVoiced ? unvoicedKana(character) : std::nullopt;
        if (basic) character = *basic;

        const std::optional<std::int16_t> code =
            coding.order ? coding.order->code(character) : codePointCode(character, coding.kana);
        if (!code) {
            StringEntryError error = refusal;
            error.reason = coding.order ? StringEntryError::Reason::NotInOrder : StringEntryError::Reason::NoCode;
            return error;
        }
        entries.push_back({code, n, skipped.byte, skipped.length});
        if (basic) entries.push_back(skipped);
    }
    return entries;
}

std::optional<std::string> punctuationAmongKana(std::string_view utf8, const StringCoding& coding) {
    if (coding.lettersOnly || coding.order != nullptr) return std::nullopt;
    bool kana = false;
    std::optional<std::string> first;
    while (!utf8.empty()) {
        const std::optional<DecodedCharacter> c = decodeFirstCharacter(utf8);
        if (!c) return std::nullopt;
        const char32_t character = c->codePoint;
        kana = kana || kanaPlace(character).has_value();
        if (!first && character != coding.wildcard && !isLetterDigitOrKana(character)) {
            first = std::string(utf8.substr(0, c->length));
        }
        utf8.remove_prefix(c->length);
    }
    return kana ? first : std::nullopt;
}

}  // namespace kinfold
