#include "pattern/CharacterCode.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace kinfold {
namespace {

using Code = std::optional<std::int16_t>;

std::string show(const Code& c) { return c ? std::to_string(*c) : std::string("invalid"); }

struct CodeCase {
    const char* name;
    std::string text;
    Code expected;
};

class CharacterCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CharacterCodes, GiveTheExpectedCode) {
    EXPECT_EQ(show(characterCode(GetParam().text)), show(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CharacterCodes,
    ::testing::Values(
        CodeCase{"A", "A", 65}, CodeCase{"FirstOfTwo", "AB", 65}, CodeCase{"Blank", " ", 32},
        CodeCase{"Empty", "", std::nullopt}, CodeCase{"NulCharacter", std::string(1, '\0'), 0},
        CodeCase{"LineFeed", "\n", 10}, CodeCase{"Delete", "\x7F", 127}, CodeCase{"EAcute", "\xC3\xA9", 233},
        CodeCase{"YDiaeresisLatin1", "\xC3\xBF", 255}, CodeCase{"NoBreakSpace", "\xC2\xA0", 160},
        CodeCase{"Euro", "\xE2\x82\xAC", 128}, CodeCase{"CapitalYDiaeresis", "\xC5\xB8", 159},
        CodeCase{"LeftDoubleQuote", "\xE2\x80\x9C", 147}, CodeCase{"TradeMark", "\xE2\x84\xA2", 153},
        CodeCase{"FHook", "\xC6\x92", 131}, CodeCase{"UndefinedSlot81", "\xC2\x81", 0x81},
        CodeCase{"UndefinedSlot8D", "\xC2\x8D", 0x8D}, CodeCase{"UndefinedSlot8F", "\xC2\x8F", 0x8F},
        CodeCase{"UndefinedSlot90", "\xC2\x90", 0x90}, CodeCase{"UndefinedSlot9D", "\xC2\x9D", 0x9D},
        CodeCase{"ControlU0080", "\xC2\x80", 0x80}, CodeCase{"HiraganaInGameOrder", "\xE3\x81\x82", 0x2800},
        CodeCase{"HiraganaThenMore", "\xE3\x81\x82\xE3\x81\x84", 0x2800},
        CodeCase{"IdeographicCommaKeepsItsCodePoint", "\xE3\x80\x81", 0x3001},
        CodeCase{"AMacronNotInCodePage", "\xC4\x80", 256}, CodeCase{"LargestThatFits", "\xE7\xBF\xBF", 0x7FFF},
        CodeCase{"FirstTooLarge", "\xE8\x80\x80", std::nullopt}, CodeCase{"FullwidthA", "\xEF\xBC\xA1", std::nullopt},
        CodeCase{"SurrogatePairCharacter", "\xF0\x9D\x84\x9E", std::nullopt},
        CodeCase{"Emoji", "\xF0\x9F\x98\x80", std::nullopt}, CodeCase{"ValidThenInvalid", "A\xFF", 65},
        CodeCase{"LoneContinuation", "\x80", std::nullopt}, CodeCase{"ByteFF", "\xFF", std::nullopt},
        CodeCase{"ByteFE", "\xFE", std::nullopt}, CodeCase{"Latin1ByteAlone", "\xE9", std::nullopt},
        CodeCase{"OverlongSlash", "\xC0\xAF", std::nullopt}, CodeCase{"OverlongC1", "\xC1\xBF", std::nullopt},
        CodeCase{"OverlongThreeBytes", "\xE0\x80\xAF", std::nullopt},
        CodeCase{"OverlongFourBytes", "\xF0\x80\x80\xAF", std::nullopt},
        CodeCase{"EncodedHighSurrogate", "\xED\xA0\x80", std::nullopt},
        CodeCase{"EncodedLowSurrogate", "\xED\xBF\xBF", std::nullopt},
        CodeCase{"CesuPair", "\xED\xA0\xB4\xED\xB4\x9E", std::nullopt},
        CodeCase{"AboveUnicode", "\xF4\x90\x80\x80", std::nullopt},
        CodeCase{"LeadF5", "\xF5\x80\x80\x80", std::nullopt}, CodeCase{"TruncatedTwo", "\xC3", std::nullopt},
        CodeCase{"TruncatedThree", "\xE3\x81", std::nullopt}, CodeCase{"TruncatedFour", "\xF0\x9D\x84", std::nullopt},
        CodeCase{"ContinuationMissing",
                 "\xC3"
                 "A",
                 std::nullopt},
        CodeCase{"ThirdByteNotContinuation",
                 "\xE3\x81"
                 "A",
                 std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Every code point, encoded here and decoded by the reader.

std::string encode(char32_t cp) {
    std::string s;
    auto put = [&](unsigned v) { s += static_cast<char>(v); };
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
    return s;
}

// Code page 1252 bytes 0x80..0x9F as the characters they stand for; 0 marks the
// five empty slots.
constexpr std::array<char32_t, 32> kCodePage1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The kana in the games' order, written out here apart from the code under test.
const std::u32string kHiraganaOrder =
    U"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
    U"がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょ";
const std::u32string kKatakanaOrder =
    U"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"
    U"ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポァィゥェォッャュョヴ";
const std::u32string kHalfWidthKatakana =
    U"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ"
    U"ZZZZZZZZZZZZZZZZZZZZZZZZZ"
    U"ｧｨｩｪｫｯｬｭｮ";

Code expectedCode(char32_t cp) {
    if (const auto at = kHiraganaOrder.find(cp); at != std::u32string::npos) {
        return static_cast<std::int16_t>(0x2800 + at);
    }
    if (const auto at = kKatakanaOrder.find(cp); at != std::u32string::npos) {
        return static_cast<std::int16_t>(0x2880 + at);
    }
    if (const auto at = kHalfWidthKatakana.find(cp); cp != U'Z' && at != std::u32string::npos) {
        return static_cast<std::int16_t>(0x2880 + at);
    }
    for (std::size_t i = 0; i < kCodePage1252High.size(); ++i) {
        if (cp != 0 && kCodePage1252High[i] == cp) return static_cast<std::int16_t>(0x80 + i);
    }
    if (cp <= 0x7FFF) return static_cast<std::int16_t>(cp);
    return std::nullopt;
}

TEST(CharacterCode, EveryCodePointGivesItsCode) {
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string text = encode(cp) + "x";
        const auto decoded = decodeFirstCharacter(text);
        ASSERT_TRUE(decoded.has_value()) << std::hex << static_cast<unsigned>(cp);
        ASSERT_EQ(decoded->codePoint, cp);
        ASSERT_EQ(decoded->length, text.size() - 1);
        ASSERT_EQ(show(characterCode(text)), show(expectedCode(cp))) << std::hex << static_cast<unsigned>(cp);
    }
}

TEST(CharacterCode, EncodedSurrogatesAreInvalid) {
    for (char32_t cp = 0xD800; cp <= 0xDFFF; ++cp) {
        ASSERT_FALSE(characterCode(encode(cp)).has_value()) << std::hex << static_cast<unsigned>(cp);
    }
}

TEST(CharacterCode, CodePageHighBytesMapBothWays) {
    int mapped = 0;
    for (std::size_t i = 0; i < kCodePage1252High.size(); ++i) {
        const char32_t cp = kCodePage1252High[i];
        if (cp == 0) {
            EXPECT_FALSE(windows1252HighByte(0x80 + static_cast<char32_t>(i)).has_value());
            continue;
        }
        const auto byte = windows1252HighByte(cp);
        ASSERT_TRUE(byte.has_value()) << i;
        EXPECT_EQ(*byte, 0x80 + i);
        ++mapped;
    }
    EXPECT_EQ(mapped, 27);
}

// A plain reference for arbitrary bytes: the text is valid exactly when some
// code point's encoding is a prefix of it, and the lead byte alone tells which
// length that encoding would have.
std::optional<char32_t> referenceDecode(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        return lead;
    } else if ((lead >> 5) == 0x6) {
        length = 2;
        cp = lead & 0x1F;
    } else if ((lead >> 4) == 0xE) {
        length = 3;
        cp = lead & 0x0F;
    } else if ((lead >> 3) == 0x1E) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (text.size() < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    if (encode(cp) != text.substr(0, length)) return std::nullopt;
    return cp;
}

TEST(CharacterCode, AgreesWithThePlainReferenceOnRandomBytes) {
    std::mt19937 rng(1252);
    std::uniform_int_distribution<int> length(0, 5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> coin(0, 1);
    for (int i = 0; i < 300000; ++i) {
        std::string text;
        for (int n = length(rng); n > 0; --n) {
            // Continuation bytes half the time, so that well-formed sequences turn up.
            text += static_cast<char>(coin(rng) ? byte(rng) : 0x80 | (byte(rng) & 0x3F));
        }
        const auto expected = referenceDecode(text);
        const auto decoded = decodeFirstCharacter(text);
        ASSERT_EQ(decoded.has_value(), expected.has_value()) << i;
        if (expected) {
            ASSERT_EQ(decoded->codePoint, *expected);
            ASSERT_EQ(show(characterCode(text)), show(expectedCode(*expected)));
        } else {
            ASSERT_FALSE(characterCode(text).has_value());
        }
    }
}

}  // namespace
}  // namespace kinfold

namespace kinfold {
namespace {

TEST(CharacterText, TurnsEveryCodeBackIntoItsCharacter) {
    for (int code = 0; code <= 0x7FFF; ++code) {
        // A code point that code page 1252 holds (U+0152 "Œ") reads back as
        // its byte, a kana's code point as its code in the games' order.
        const auto high = windows1252HighByte(static_cast<char32_t>(code));
        const std::string text = characterText(code);
        ASSERT_EQ(characterCode(text), high ? *high : expectedCode(static_cast<char32_t>(code))) << code;
        if (code < 0x2800 || code > 0x28D0) {  // outside the kana codes, the code point is the code
            ASSERT_EQ(characterCode(text, KanaCodes::Unicode), high ? *high : code) << code;
        }
    }
    EXPECT_EQ(characterText(0x80), "\u20AC");
    EXPECT_EQ(characterText(0xE9), "\u00E9");
    EXPECT_EQ(characterText(0x3042), "\u3042");
    EXPECT_EQ(characterText(0x2800), "\u3042");
    EXPECT_EQ(characterText(0x2880 + 80), "\u30F4");
    EXPECT_EQ(characterText(-1), "");
}

TEST(CharacterText, PrintableCodes) {
    const std::pair<int, bool> cases[] = {{-1, false},  {0x1F, false}, {0x20, true}, {0x7E, true}, {0x7F, false},
                                          {0x80, true}, {0x81, false}, {0x9F, true}, {0xA0, true}, {0x7FFF, true}};
    for (const auto& [code, printable] : cases) EXPECT_EQ(isPrintableCode(code), printable) << code;
}

}  // namespace
}  // namespace kinfold
