// Feeds arbitrary bytes to the Add Value reader in all three modes. Besides
// never crashing or hanging, the decimal and hex answers must agree with a
// slow second reading built on std::from_chars wherever a double holds the
// typed digits exactly enough to decide the rounding.
#include "pattern/CharacterCode.h"
#include "pattern/NumberReader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace {

using kinfold::NumberMode;
using Value = std::optional<std::int16_t>;

void fail(const char* what, std::string_view text, const Value& got, const Value& expected) {
    std::fprintf(stderr, "%s: text of %zu bytes read as %s, expected %s\n", what, text.size(),
                 got ? std::to_string(*got).c_str() : "refused",
                 expected ? std::to_string(*expected).c_str() : "refused");
    std::abort();
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The second reading: nullopt in the outer optional when it cannot be trusted.
std::optional<Value> slowRead(std::string text) {
    std::string compact;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') compact += c;
    }
    if (compact.rfind("&H", 0) == 0) {
        std::size_t end = 2;
        while (end < compact.size() && std::isxdigit(static_cast<unsigned char>(compact[end]))) ++end;
        std::size_t first = 2;
        while (first < end && compact[first] == '0') ++first;
        if (end - first > 8) return Value{};
        std::uint64_t n = 0;
        std::from_chars(compact.data() + first, compact.data() + end, n, 16);
        std::int64_t v = static_cast<std::int64_t>(n);
        if (n <= 0xFFFF && n >= 0x8000) v -= 0x10000;
        if (n > 0xFFFF && n >= 0x80000000u) v -= 0x100000000LL;
        if (v < -32768 || v > 32767) return Value{};
        return Value{static_cast<std::int16_t>(v)};
    }

    // Sign, digits, point, digits, exponent, taken apart character by character.
    std::size_t i = 0;
    bool negative = false;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) negative = compact[i++] == '-';
    std::string mantissa;
    std::size_t digits = 0;
    auto takeDigits = [&] {
        while (i < compact.size() && isDigit(compact[i])) {
            mantissa += compact[i++];
            ++digits;
        }
    };
    takeDigits();
    if (i < compact.size() && compact[i] == '.') {
        mantissa += compact[i++];
        takeDigits();
    }
    if (digits == 0) return Value{0};
    std::string exponent;
    if (i < compact.size() && std::string_view("EeDd").find(compact[i]) != std::string_view::npos) {
        std::size_t j = i + 1;
        std::string e;
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-')) e += compact[j++];
        const std::size_t digitsFrom = j;
        while (j < compact.size() && isDigit(compact[j])) e += compact[j++];
        if (j > digitsFrom) exponent = e;
    }

    // A double is trusted with at most 15 significant digits and a short exponent.
    const std::size_t firstSignificant = mantissa.find_first_not_of("0.");
    if (firstSignificant == std::string::npos) return Value{0};
    const std::size_t lastSignificant = mantissa.find_last_not_of("0.");
    std::size_t significant = 0;
    for (std::size_t k = firstSignificant; k <= lastSignificant; ++k) significant += mantissa[k] != '.';
    if (significant > 15 || exponent.size() > 6 || mantissa.size() > 40) return std::nullopt;

    std::string number = mantissa;
    if (number.front() == '.') number.insert(number.begin(), '0');
    if (!exponent.empty()) number += 'e' + exponent;
    double x = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), x);
    if (r.ec == std::errc::result_out_of_range) {
        if (exponent.front() == '-') return Value{0};
        return Value{};
    }
    if (r.ec != std::errc() || r.ptr != number.data() + number.size()) return std::nullopt;
    const double whole = std::nearbyint(negative ? -x : x);
    if (!(whole >= -32768.0 && whole <= 32767.0)) return Value{};
    return Value{static_cast<std::int16_t>(whole)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const Value decimal = kinfold::readValue(text, NumberMode::Decimal);
    const Value hex = kinfold::readValue(text, NumberMode::Hex);
    const Value character = kinfold::readValue(text, NumberMode::Character);

    if (const auto expected = slowRead(std::string(text)); expected && *expected != decimal) {
        fail("decimal", text, decimal, *expected);
    }
    if (const auto expected = slowRead("&H" + std::string(text)); expected && *expected != hex) {
        fail("hex", text, hex, *expected);
    }

    // Character mode: an empty text is refused, an ASCII first byte is its own
    // code, and a two-byte Latin-1 letter (U+00A0..U+00FF) is its code point.
    if (text.empty()) {
        if (character) fail("character of an empty text", text, character, std::nullopt);
        return 0;
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80 && character != Value{static_cast<std::int16_t>(lead)}) {
        fail("ASCII character", text, character, Value{static_cast<std::int16_t>(lead)});
    }
    if (lead >= 0x80 && character && *character < 0x80) {
        fail("non-ASCII character", text, character, std::nullopt);
    }
    if ((lead == 0xC2 || lead == 0xC3) && text.size() >= 2) {
        const auto second = static_cast<unsigned char>(text[1]);
        const int cp = ((lead & 0x1F) << 6) | (second & 0x3F);
        if ((second & 0xC0) != 0x80) {
            if (character) fail("broken two-byte character", text, character, std::nullopt);
        } else if (cp >= 0xA0 && character != Value{static_cast<std::int16_t>(cp)}) {
            fail("Latin-1 character", text, character, Value{static_cast<std::int16_t>(cp)});
        }
    }
    return 0;
}
