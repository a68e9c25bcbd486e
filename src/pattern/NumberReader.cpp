#include "pattern/NumberReader.h"

#include "pattern/CharacterCode.h"

#include <cstddef>

namespace kinfold {
namespace {

constexpr std::int32_t kMinValue = -32768;
constexpr std::int32_t kMaxValue = 32767;

// An exponent beyond this overflows or underflows any 16-bit value anyway, so
// longer exponent digit strings are clamped rather than read in full.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

std::uint32_t hexDigitValue(char c) {
    if (isDigit(c)) return static_cast<std::uint32_t>(c - '0');
    if (c >= 'a') return static_cast<std::uint32_t>(c - 'a' + 10);
    return static_cast<std::uint32_t>(c - 'A' + 10);
}

bool startsWithHexMark(std::string_view text) { return text.size() >= 2 && text[0] == '&' && text[1] == 'H'; }

std::size_t skipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i])) ++i;
    return i;
}

std::optional<std::int16_t> fitValue(std::int64_t v) {
    if (v < kMinValue || v > kMaxValue) return std::nullopt;
    return static_cast<std::int16_t>(v);
}

// "&H" and the hex digits after it. Up to FFFF the digits are a 16-bit pattern,
// above that a 32-bit one, so &HFFFF and &HFFFFFFFF both read -1.
std::optional<std::int16_t> convertHex(std::string_view number) {
    std::string_view digits = number.substr(2);
    while (!digits.empty() && digits.front() == '0') digits.remove_prefix(1);
    if (digits.size() > 8) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : digits) n = n * 16 + hexDigitValue(c);
    if (n <= 0xFFFF) return static_cast<std::int16_t>(static_cast<std::uint16_t>(n));
    return fitValue(static_cast<std::int32_t>(n));
}

// The decimal number, rounded from its digits as written so that no binary
// floating point rounding can move a value across a half.
std::optional<std::int16_t> convertDecimal(std::string_view number) {
    std::size_t i = 0;
    bool negative = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) {
        negative = number[i] == '-';
        ++i;
    }
    const std::size_t intBegin = i;
    i = skipDigits(number, i);
    const std::string_view intDigits = number.substr(intBegin, i - intBegin);
    std::string_view fracDigits;
    if (i < number.size() && number[i] == '.') {
        const std::size_t fracBegin = i + 1;
        i = skipDigits(number, fracBegin);
        fracDigits = number.substr(fracBegin, i - fracBegin);
    }
    std::int64_t exponent = 0;
    if (i < number.size()) {
        // leadingNumber only keeps an exponent that has digits.
        ++i;
        bool negativeExponent = false;
        if (number[i] == '+' || number[i] == '-') {
            negativeExponent = number[i] == '-';
            ++i;
        }
        for (; i < number.size(); ++i) {
            exponent = exponent * 10 + (number[i] - '0');
            if (exponent > kExponentLimit) exponent = kExponentLimit;
        }
        if (negativeExponent) exponent = -exponent;
    }

    // All digits as one sequence; the point sits after the integer digits.
    const std::size_t total = intDigits.size() + fracDigits.size();
    auto digitAt = [&](std::size_t k) -> int {
        if (k >= total) return 0;
        const char c = k < intDigits.size() ? intDigits[k] : fracDigits[k - intDigits.size()];
        return c - '0';
    };
    std::size_t first = 0;
    while (first < total && digitAt(first) == 0) ++first;
    if (first == total) return 0;

    // How many digits stand before the point once leading zeros are gone.
    const std::int64_t wholeDigits =
        static_cast<std::int64_t>(intDigits.size()) - static_cast<std::int64_t>(first) + exponent;
    if (wholeDigits > 5) return std::nullopt;  // at least 100000
    if (wholeDigits < 0) return 0;             // below 0.1

    const auto whole_count = static_cast<std::size_t>(wholeDigits);
    std::int64_t whole = 0;
    for (std::size_t k = 0; k < whole_count; ++k) whole = whole * 10 + digitAt(first + k);
    const int nextDigit = digitAt(first + whole_count);
    bool restNonZero = false;
    for (std::size_t k = first + whole_count + 1; k < total && !restNonZero; ++k) restNonZero = digitAt(k) != 0;
    if (nextDigit > 5 || (nextDigit == 5 && (restNonZero || whole % 2 == 1))) ++whole;
    return fitValue(negative ? -whole : whole);
}

}  // namespace

std::string removeBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') out += c;
    }
    return out;
}

std::string_view leadingNumber(std::string_view compactText) {
    const std::string_view t = compactText;
    if (startsWithHexMark(t)) {
        std::size_t i = 2;
        while (i < t.size() && isHexDigit(t[i])) ++i;
        return t.substr(0, i);
    }
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    const std::size_t intBegin = i;
    i = skipDigits(t, i);
    std::size_t digitCount = i - intBegin;
    if (i < t.size() && t[i] == '.') {
        const std::size_t fracBegin = i + 1;
        i = skipDigits(t, fracBegin);
        digitCount += i - fracBegin;
    }
    if (digitCount == 0) return {};
    if (i < t.size()) {
        const char c = t[i];
        if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
            std::size_t j = i + 1;
            if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
            const std::size_t end = skipDigits(t, j);
            if (end > j) i = end;
        }
    }
    return t.substr(0, i);
}

std::optional<std::int16_t> readCompactNumber(std::string_view compactText) {
    const std::string_view number = leadingNumber(compactText);
    if (number.empty()) return 0;
    if (startsWithHexMark(number)) return convertHex(number);
    return convertDecimal(number);
}

std::optional<std::int16_t> readValue(std::string_view text, NumberMode mode) {
    switch (mode) {
    case NumberMode::Decimal: return readCompactNumber(removeBlanks(text));
    case NumberMode::Hex: {
        std::string marked = "&H";
        marked += removeBlanks(text);
        return readCompactNumber(marked);
    }
    case NumberMode::Character: return characterCode(text);
    }
    return std::nullopt;
}

}  // namespace kinfold
