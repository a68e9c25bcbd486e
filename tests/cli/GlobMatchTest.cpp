#include "cli/GlobMatch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#if !defined(_WIN32)
#include <fnmatch.h>
#endif

namespace kinfold::cli {
namespace {

struct GlobCase {
    const char* name;
    const char* glob;
    const char* text;
    bool byPath;
    bool matches;
};

class GlobCases : public ::testing::TestWithParam<GlobCase> {};

TEST_P(GlobCases, MatchesAsFnmatch) {
    const GlobCase& c = GetParam();
    EXPECT_EQ(globMatches(c.glob, c.text, c.byPath), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Globs, GlobCases,
    ::testing::Values(
        GlobCase{"StarTakesNothing", "a*", "a", false, true},
        GlobCase{"StarBacktracks", "*ab*ab", "xabyabab", false, true},
        GlobCase{"StarCrossesSlashByName", "a*b", "a/x/b", false, true},
        GlobCase{"StarStopsAtSlashByPath", "a*b", "a/b", true, false},
        GlobCase{"QuestionIsOneByte", "?", "\xe3", false, true},
        GlobCase{"QuestionNotSlashByPath", "a?b", "a/b", true, false},
        GlobCase{"LiteralSlashByPath", "a/*", "a/b", true, true}, GlobCase{"RangeHighEnd", "[a-c]", "c", false, true},
        GlobCase{"NegatedRange", "[!a-c]", "c", false, false}, GlobCase{"CaretNegatesToo", "[^a]", "b", false, true},
        GlobCase{"ClosingBracketFirst", "[]a]", "]", false, true}, GlobCase{"DashLast", "[a-]", "-", false, true},
        GlobCase{"Class", "[[:digit:]]x", "7x", false, true},
        GlobCase{"UnknownClassMatchesNothing", "[[:nope:]]", "[[:nope:]]", false, false},
        GlobCase{"UnclosedBracketIsLiteral", "[ab", "[ab", false, true},
        GlobCase{"BracketNotSlashByPath", "a[/]b", "a/b", true, false},
        GlobCase{"EscapedStar", "\\*", "*", false, true}, GlobCase{"EscapedStarIsNoStar", "\\*", "x", false, false},
        GlobCase{"TrailingBackslashMatchesNothing", "a\\", "a\\", false, false},
        GlobCase{"CaseMatters", "*.GB", "a.gb", false, false}, GlobCase{"EmptyMatchesEmpty", "", "", false, true},
        GlobCase{"TextLeftOver", "ab", "abc", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

#if !defined(_WIN32)
// A random glob as people write them: bytes, stars, question marks, escapes
// and closed brackets of bytes, ranges and classes. (fnmatch's answers for
// unclosed brackets and escaped slashes after a star are its own quirks.)
std::string randomGlob(std::mt19937& random) {
    const auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const std::string bytes = "ab.-/!^:";
    const std::string inBrackets = "ab.-!^*?";
    std::string glob;
    for (std::size_t pieces = below(6); pieces > 0; --pieces) {
        switch (below(6)) {
        case 0: glob += '*'; break;
        case 1: glob += '?'; break;
        case 2:
            glob += '\\';
            glob += "ab*?[-"[below(6)];
            break;
        case 3: {
            glob += '[';
            if (below(3) == 0) glob += "!^"[below(2)];
            for (std::size_t items = 1 + below(3); items > 0; --items) {
                switch (below(3)) {
                case 0: glob += "[:alpha:]"; break;
                case 1: glob += "a-b"; break;
                default: glob += inBrackets[below(inBrackets.size())]; break;
                }
            }
            glob += ']';
            break;
        }
        default: glob += bytes[below(bytes.size())]; break;
        }
    }
    return glob;
}

// Where the system has fnmatch(), random globs and names give the same answers.
TEST(GlobMatch, AgreesWithFnmatchOnRandomGlobs) {
    std::mt19937 random(2024);
    const std::string textBytes = "ab/.*?[]-!\\";
    for (int i = 0; i < 200000; ++i) {
        const std::string glob = randomGlob(random);
        std::string text(std::uniform_int_distribution<std::size_t>(0, 6)(random), ' ');
        for (char& c : text) c = textBytes[std::uniform_int_distribution<std::size_t>(0, textBytes.size() - 1)(random)];
        const bool byPath = (i & 1) != 0;
        const bool expected = ::fnmatch(glob.c_str(), text.c_str(), byPath ? FNM_PATHNAME : 0) == 0;
        ASSERT_EQ(globMatches(glob, text, byPath), expected)
            << "glob \"" << glob << "\" text \"" << text << "\" byPath " << byPath;
    }
}
#endif

}  // namespace
}  // namespace kinfold::cli
