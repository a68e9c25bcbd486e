#include "pattern/NumberReader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <system_error>

namespace kinfold {
namespace {

using Value = std::optional<std::int16_t>;
constexpr std::nullopt_t kRefused = std::nullopt;

std::string show(const Value& v) { return v ? std::to_string(*v) : std::string("refused"); }

struct ReadCase {
    const char* name;
    std::string text;
    Value expected;
};

std::string caseName(const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; }

// ---------------------------------------------------------------------------
// Decimal mode

class DecimalReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(DecimalReading, GivesTheExpectedValue) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(show(readValue(c.text, NumberMode::Decimal)), show(c.expected)) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecimalReading,
    ::testing::Values(
        ReadCase{"Plain", "65", 65}, ReadCase{"TrailingLetters", "12abc", 12}, ReadCase{"BlankInside", "1 2", 12},
        ReadCase{"TabAndLineFeedInside", "3\t2\n1", 321}, ReadCase{"BlanksAround", "  -4  ", -4},
        ReadCase{"BlankBetweenSignAndDigits", "- 9", -9}, ReadCase{"CarriageReturnEndsTheNumber", "1\r2", 1},
        ReadCase{"Exponent", "1e3", 1000}, ReadCase{"UpperExponent", "1E3", 1000}, ReadCase{"DExponent", "1D2", 100},
        ReadCase{"LowerDExponent", "1d2", 100}, ReadCase{"NegativeExponent", "12345e-2", 123},
        ReadCase{"PlusExponent", "2e+1", 20}, ReadCase{"ExponentWithoutDigits", "1e", 1},
        ReadCase{"ExponentWithSignOnly", "1e+", 1}, ReadCase{"ExponentWithMinusOnly", "7d-x", 7},
        ReadCase{"ExponentWithBlankInside", "1e 2", 100}, ReadCase{"HalfToEvenDown", "2.5", 2},
        ReadCase{"HalfToEvenUp", "3.5", 4}, ReadCase{"NegativeHalfToEven", "-2.5", -2},
        ReadCase{"NegativeHalfUp", "-3.5", -4}, ReadCase{"JustAboveHalf", "2.500000000000000000000001", 3},
        ReadCase{"JustBelowHalf", "2.499999999999999999999999", 2}, ReadCase{"HalfOfZero", "0.5", 0},
        ReadCase{"HalfOfOne", "1.5", 2}, ReadCase{"HalfByExponent", "25e-1", 2}, ReadCase{"PointFirst", ".5", 0},
        ReadCase{"PointFirstRoundsUp", ".6", 1}, ReadCase{"PointLast", "5.", 5},
        ReadCase{"PointLastThenExponent", "5.e1", 50}, ReadCase{"CommaEndsTheNumber", "1,000", 1},
        ReadCase{"SecondPointEndsTheNumber", "1.2.3", 1}, ReadCase{"CurrencySign", "$5", 0},
        ReadCase{"Negative", "-7", -7}, ReadCase{"PlusSign", "+5", 5}, ReadCase{"TwoSigns", "+-5", 0},
        ReadCase{"MinusAlone", "-", 0}, ReadCase{"PointAlone", ".", 0}, ReadCase{"SignAndPoint", "-.", 0},
        ReadCase{"NegativeZero", "-0", 0}, ReadCase{"NegativeTinyRoundsToZero", "-0.4", 0},
        ReadCase{"Letters", "abc", 0}, ReadCase{"Empty", "", 0}, ReadCase{"OnlyBlanks", " \t\n ", 0},
        ReadCase{"Small", "0.4", 0}, ReadCase{"Smallest", "-32768", -32768}, ReadCase{"Largest", "32767", 32767},
        ReadCase{"OneAboveLargest", "32768", kRefused}, ReadCase{"OneBelowSmallest", "-32769", kRefused},
        ReadCase{"TooLarge", "40000", kRefused}, ReadCase{"LargestPlusHalfRoundsOut", "32767.5", kRefused},
        ReadCase{"LargestPlusJustUnderHalf", "32767.4999999", 32767},
        ReadCase{"SmallestMinusHalfRoundsToEven", "-32768.5", -32768},
        ReadCase{"SmallestMinusMoreThanHalf", "-32768.500001", kRefused},
        ReadCase{"LeadingZeros", "000000000000000000000000042", 42},
        ReadCase{"ManyTrailingZeros", "42.000000000000000000000000000", 42},
        ReadCase{"HugeExponentOverflows", "1e400", kRefused},
        ReadCase{"EnormousExponent", "1e99999999999999999999999999", kRefused},
        ReadCase{"TinyExponentUnderflows", "1e-400", 0},
        ReadCase{"EnormousNegativeExponent", "5e-99999999999999999999999999", 0},
        ReadCase{"ZeroWithHugeExponent", "0e99999999999999999999", 0},
        ReadCase{"HugeDigitString", "99999999999999999999", kRefused},
        ReadCase{"HugeNegativeDigitString", "-99999999999999999999", kRefused},
        ReadCase{"ManyFractionDigitsThenExponent", "0.000000000000000000000123451e25", 1235},
        ReadCase{"ExponentBringsItBack", "3276700000e-5", 32767}, ReadCase{"HexMark", "&H41", 65},
        ReadCase{"HexMarkWithBlanks", "& H 4 1", 65}, ReadCase{"LowerHexMarkIsNotHex", "&h41", 0},
        ReadCase{"HexAllOnes32", "&HFFFFFFFF", -1}, ReadCase{"HexTooLong", "&H100000000", kRefused},
        ReadCase{"HexLeadingZerosDoNotCount", "&H000000001", 1}, ReadCase{"HexMarkAlone", "&H", 0},
        ReadCase{"HexStopsAtNonDigit", "&H1G5", 1}, ReadCase{"HexLowerDigits", "&Hff", 255},
        ReadCase{"Hex16BitNegative", "&H8000", -32768}, ReadCase{"Hex65536", "&H10000", kRefused},
        ReadCase{"Hex32BitSmallest", "&HFFFF8000", -32768}, ReadCase{"Hex32BitBelowSmallest", "&HFFFF7FFF", kRefused},
        ReadCase{"HexNoDecimalAfter", "&H10.5", 16}, ReadCase{"HexNoSign", "&H-1", 0}),
    caseName);

// ---------------------------------------------------------------------------
// Hex mode

class HexReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(HexReading, GivesTheExpectedValue) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(show(readValue(c.text, NumberMode::Hex)), show(c.expected)) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Table, HexReading,
    ::testing::Values(
        ReadCase{"FF", "FF", 255}, ReadCase{"LowerFF", "ff", 255}, ReadCase{"BlankInside", "F F", 255},
        ReadCase{"AllOnes16", "FFFF", -1}, ReadCase{"Largest", "7FFF", 32767}, ReadCase{"Smallest", "8000", -32768},
        ReadCase{"AllOnes32", "FFFFFFFF", -1}, ReadCase{"Smallest32", "FFFF8000", -32768},
        ReadCase{"Just65536", "10000", kRefused}, ReadCase{"Largest32BitPositive", "7FFFFFFF", kRefused},
        ReadCase{"NineDigits", "100000000", kRefused}, ReadCase{"NineDigitsWithLeadingZero", "0FFFFFFFF", -1},
        ReadCase{"StopsAtG", "1G", 1}, ReadCase{"Minus", "-1", 0}, ReadCase{"Empty", "", 0},
        ReadCase{"SecondMark", "&H41", 0}, ReadCase{"Zero", "0", 0}, ReadCase{"MixedCase", "aBc", 0xABC},
        ReadCase{"ManyZeros", "0000000000000000000000007F", 127}, ReadCase{"TabAndLineFeed", "1\t2\n3", 0x123}),
    caseName);

// ---------------------------------------------------------------------------
// Character mode goes through characterCode; blanks are characters here.

class CharacterReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(CharacterReading, GivesTheExpectedValue) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(show(readValue(c.text, NumberMode::Character)), show(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, CharacterReading,
                         ::testing::Values(ReadCase{"Letter", "A", 65}, ReadCase{"FirstOfTwo", "AB", 65},
                                           ReadCase{"Blank", " ", 32}, ReadCase{"Tab", "\t", 9},
                                           ReadCase{"Digit", "7", 55}, ReadCase{"Empty", "", kRefused},
                                           ReadCase{"EAcute", "\xC3\xA9", 233}, ReadCase{"Euro", "\xE2\x82\xAC", 128},
                                           ReadCase{"HiraganaInGameOrder", "\xE3\x81\x82", 0x2800},
                                           ReadCase{"AboveSixteenBits", "\xF0\x9D\x84\x9E", kRefused},
                                           ReadCase{"InvalidByte", "\xFF", kRefused}),
                         caseName);

// ---------------------------------------------------------------------------
// Which part of a text is the number

struct PrefixCase {
    const char* name;
    std::string text;
    std::string number;
};

class NumberPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(NumberPrefix, IsTheExpectedPart) { EXPECT_EQ(leadingNumber(GetParam().text), GetParam().number); }

INSTANTIATE_TEST_SUITE_P(
    Table, NumberPrefix,
    ::testing::Values(PrefixCase{"Digits", "12abc", "12"}, PrefixCase{"Full", "-1.5e+3x", "-1.5e+3"},
                      PrefixCase{"ExponentWithoutDigits", "1e", "1"},
                      PrefixCase{"ExponentSignWithoutDigits", "1e+", "1"}, PrefixCase{"DExponent", "1D2", "1D2"},
                      PrefixCase{"PointLast", "5.", "5."}, PrefixCase{"PointFirst", ".5", ".5"},
                      PrefixCase{"SignAlone", "-", ""}, PrefixCase{"PointAlone", ".e5", ""},
                      PrefixCase{"Letters", "abc", ""}, PrefixCase{"Empty", "", ""},
                      PrefixCase{"Hex", "&HFFzz", "&HFF"}, PrefixCase{"HexNoDigits", "&H&H41", "&H"},
                      PrefixCase{"AmpersandAlone", "&", ""}, PrefixCase{"ExponentTwice", "1e2e3", "1e2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberReader, RemovesOnlyBlanksTabsAndLineFeeds) {
    EXPECT_EQ(removeBlanks(" a\tb\nc\rd \v"), "abc\rd\v");
    EXPECT_EQ(removeBlanks(""), "");
    EXPECT_EQ(removeBlanks(" \t\n"), "");
}

TEST(NumberReader, ZeroIsAValueNotARefusal) {
    const Value v = readValue("0", NumberMode::Decimal);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(*v, 0);
}

// ---------------------------------------------------------------------------
// Every value written out reads back

TEST(NumberReader, EveryDecimalValueReadsBack) {
    for (int v = -32768; v <= 32767; ++v) {
        ASSERT_EQ(show(readValue(std::to_string(v), NumberMode::Decimal)), std::to_string(v));
    }
}

TEST(NumberReader, EveryHalfGoesToTheEvenNeighbour) {
    for (int v = -32769; v <= 32767; ++v) {
        // v.5 for v >= 0, and -(|v|).5 for v < 0 lies between v and v+1 / v-1.
        std::string text = v < 0 ? "-" : "";
        text += std::to_string(std::abs(v));
        text += ".5";
        const int away = v < 0 ? v - 1 : v + 1;
        const int even = (v % 2 == 0) ? v : away;
        const Value expected = (even >= -32768 && even <= 32767) ? Value(static_cast<std::int16_t>(even)) : kRefused;
        ASSERT_EQ(show(readValue(text, NumberMode::Decimal)), show(expected)) << text;
    }
}

TEST(NumberReader, EverySixteenBitPatternReadsAsTwosComplement) {
    char buffer[16];
    for (unsigned n = 0; n <= 0xFFFF; ++n) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, n, 16).ptr;
        const std::string lower(buffer, end);
        std::string upper = lower;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const int expected = n >= 0x8000 ? static_cast<int>(n) - 0x10000 : static_cast<int>(n);
        ASSERT_EQ(show(readValue(lower, NumberMode::Hex)), std::to_string(expected)) << lower;
        ASSERT_EQ(show(readValue("&H" + upper, NumberMode::Decimal)), std::to_string(expected)) << upper;
    }
}

TEST(NumberReader, ThirtyTwoBitPatternsAreInRangeOnlyNearTheTop) {
    char buffer[16];
    for (std::uint32_t n = 0xFFFF7FF0u; n != 0; ++n) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, n, 16).ptr;
        const std::string text(buffer, end);
        const long long signedValue = static_cast<long long>(n) - 0x100000000LL;
        const Value expected = signedValue >= -32768 ? Value(static_cast<std::int16_t>(signedValue)) : kRefused;
        ASSERT_EQ(show(readValue(text, NumberMode::Hex)), show(expected)) << text;
    }
}

// ---------------------------------------------------------------------------
// A plain reference beside the reader: a regular expression finds the number,
// the standard library converts it to double, and nearbyint rounds half to
// even. It is trusted only for texts whose digits a double holds exactly
// enough, which the generator below keeps to.

Value referenceRead(std::string text) {
    std::erase_if(text, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
    static const std::regex hex("^&H([0-9A-Fa-f]*)");
    static const std::regex decimal("^([+-]?)((?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[EeDd]([+-]?)[0-9]+)?)");
    std::smatch m;
    if (std::regex_search(text, m, hex)) {
        const std::string all = m[1].str();
        const std::size_t firstNonZero = all.find_first_not_of('0');
        const std::string digits = firstNonZero == std::string::npos ? std::string() : all.substr(firstNonZero);
        if (digits.size() > 8) return kRefused;
        const long long n = digits.empty() ? 0 : std::stoll(digits, nullptr, 16);
        long long value = n;
        if (n <= 0xFFFF) {
            if (n >= 0x8000) value = n - 0x10000;
        } else {
            if (n >= 0x80000000LL) value = n - 0x100000000LL;
        }
        if (value < -32768 || value > 32767) return kRefused;
        return static_cast<std::int16_t>(value);
    }
    if (!std::regex_search(text, m, decimal)) return 0;
    std::string number = m[2].str();
    for (char& c : number) {
        if (c == 'D' || c == 'd') c = 'e';
    }
    if (number.front() == '.') number.insert(number.begin(), '0');
    double x = 0;
    const auto r = std::from_chars(number.data(), number.data() + number.size(), x);
    if (r.ec == std::errc::result_out_of_range) {
        // The mantissa is short, so only the exponent's sign decides the way out.
        if (m[3].str() == "-") return 0;
        return kRefused;
    }
    EXPECT_EQ(r.ptr, number.data() + number.size()) << number;
    if (m[1].str() == "-") x = -x;
    const double whole = std::nearbyint(x);
    if (!(whole >= -32768.0 && whole <= 32767.0)) return kRefused;
    return static_cast<std::int16_t>(whole);
}

std::string randomText(std::mt19937& rng) {
    static const std::string alphabet = "0123456789012345678901234567890123456789..+-eEdD &H&Hh\t\nFfaG,x";
    std::uniform_int_distribution<std::size_t> length(0, 15);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string s;
    const std::size_t n = length(rng);
    for (std::size_t i = 0; i < n; ++i) s += alphabet[pick(rng)];
    return s;
}

// Texts shaped like numbers, so that most of them get past the first character.
std::string randomNumberText(std::mt19937& rng) {
    std::uniform_int_distribution<int> coin(0, 3);
    std::uniform_int_distribution<int> digitCount(0, 6);
    std::uniform_int_distribution<int> digit(0, 9);
    std::string s;
    const int sign = coin(rng);
    if (sign == 1) s += '-';
    if (sign == 2) s += '+';
    for (int i = digitCount(rng); i > 0; --i) s += static_cast<char>('0' + digit(rng));
    if (coin(rng) != 0) {
        s += '.';
        for (int i = digitCount(rng); i > 0; --i) s += static_cast<char>('0' + digit(rng));
    }
    if (coin(rng) == 0) {
        s += "eEdD"[coin(rng)];
        if (coin(rng) == 0) s += '-';
        if (coin(rng) == 1) s += '+';
        for (int i = coin(rng); i > 0; --i) s += static_cast<char>('0' + digit(rng));
    }
    if (coin(rng) == 0) s.insert(static_cast<std::size_t>(coin(rng)) % (s.size() + 1), 1, ' ');
    return s;
}

TEST(NumberReader, AgreesWithThePlainReferenceOnRandomTexts) {
    std::mt19937 rng(20240611);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = (i % 2 == 0) ? randomText(rng) : randomNumberText(rng);
        ASSERT_EQ(show(readValue(text, NumberMode::Decimal)), show(referenceRead(text))) << "text \"" << text << "\"";
        ASSERT_EQ(show(readValue(text, NumberMode::Hex)), show(referenceRead("&H" + text)))
            << "hex text \"" << text << "\"";
    }
}

struct LongCase {
    const char* name;
    // Builds a text from a value v and a run length k that reads as expect(v, k).
    std::string (*text)(int v, std::size_t k);
    Value (*expect)(int v, std::size_t k);
};

std::string zeros(std::size_t k) { return std::string(k, '0'); }
std::string magnitude(int v) { return std::to_string(std::abs(v)); }
std::string signOf(int v) { return v < 0 ? "-" : ""; }
Value same(int v, std::size_t) { return static_cast<std::int16_t>(v); }

class LongRuns : public ::testing::TestWithParam<LongCase> {};

// Long digit and exponent runs must neither overflow nor take long.
TEST_P(LongRuns, ReadExactly) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> value(-32768, 32767);
    std::uniform_int_distribution<std::size_t> run(0, 5000);
    for (int i = 0; i < 300; ++i) {
        const int v = value(rng);
        const std::size_t k = run(rng);
        const std::string text = GetParam().text(v, k);
        ASSERT_EQ(show(readValue(text, NumberMode::Decimal)), show(GetParam().expect(v, k))) << "v " << v << " k " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LongRuns,
    ::testing::Values(
        LongCase{"LeadingZeros", [](int v, std::size_t k) { return signOf(v) + zeros(k) + magnitude(v); }, same},
        LongCase{"TrailingFractionZeros", [](int v, std::size_t k) { return std::to_string(v) + "." + zeros(k); },
                 same},
        LongCase{"FractionShiftedBack",
                 [](int v, std::size_t k) {
                     return signOf(v) + "0." + zeros(k) + magnitude(v) + "e" + std::to_string(k + magnitude(v).size());
                 },
                 same},
        LongCase{"ZerosTakenOffByExponent",
                 [](int v, std::size_t k) { return std::to_string(v) + zeros(k) + "e-" + std::to_string(k); }, same},
        LongCase{"LongZeroExponent", [](int v, std::size_t k) { return std::to_string(v) + "e" + zeros(k + 1); }, same},
        LongCase{"HexLeadingZeros",
                 [](int v, std::size_t k) {
                     char buffer[8];
                     const auto end = std::to_chars(buffer, buffer + sizeof buffer,
                                                    static_cast<unsigned>(static_cast<std::uint16_t>(v)), 16)
                                          .ptr;
                     std::string text = "&H";
                     text += zeros(k);
                     text.append(buffer, end);
                     return text;
                 },
                 same},
        LongCase{"OneWithManyZerosIsTooLarge", [](int, std::size_t k) { return std::string("1").append(k + 5, '0'); },
                 [](int, std::size_t) -> Value { return kRefused; }},
        LongCase{"ManyNines", [](int, std::size_t k) { return std::string(k + 6, '9'); },
                 [](int, std::size_t) -> Value { return kRefused; }},
        LongCase{"TinyFraction", [](int v, std::size_t k) { return signOf(v) + "0.0" + zeros(k) + magnitude(v); },
                 [](int, std::size_t) -> Value { return 0; }},
        LongCase{"ExponentDigitsBeyondAnyInteger",
                 [](int v, std::size_t k) { return std::to_string(v == 0 ? 1 : v) + "e" + std::string(k + 20, '9'); },
                 [](int, std::size_t) -> Value { return kRefused; }},
        LongCase{"NegativeExponentDigitsBeyondAnyInteger",
                 [](int v, std::size_t k) { return std::to_string(v) + "e-" + std::string(k + 20, '9'); },
                 [](int, std::size_t) -> Value { return 0; }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kinfold
