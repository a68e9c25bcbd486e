#include "cli/GlobMatch.h"

#include <array>
#include <cctype>
#include <optional>

namespace kinfold::cli {
namespace {

struct NamedClass {
    std::string_view name;
    int (*test)(int);
};

constexpr std::array<NamedClass, 12> kClasses = {{
    {"alnum", [](int c) { return std::isalnum(c); }},
    {"alpha", [](int c) { return std::isalpha(c); }},
    {"blank", [](int c) { return std::isblank(c); }},
    {"cntrl", [](int c) { return std::iscntrl(c); }},
    {"digit", [](int c) { return std::isdigit(c); }},
    {"graph", [](int c) { return std::isgraph(c); }},
    {"lower", [](int c) { return std::islower(c); }},
    {"print", [](int c) { return std::isprint(c); }},
    {"punct", [](int c) { return std::ispunct(c); }},
    {"space", [](int c) { return std::isspace(c); }},
    {"upper", [](int c) { return std::isupper(c); }},
    {"xdigit", [](int c) { return std::isxdigit(c); }},
}};

// What a bracket expression starting at glob[at] == '[' gave for byte c:
// whether it matched and where the glob goes on; nothing when it isn't one
// (no closing bracket), and the '[' is an ordinary byte. A class of no known
// name matches nothing at all.
struct Bracket {
    bool matched = false;
    std::size_t next = 0;
    bool unknownClass = false;
};

std::optional<Bracket> matchBracket(std::string_view glob, std::size_t at, unsigned char c) {
    std::size_t i = at + 1;
    bool negated = false;
    if (i < glob.size() && (glob[i] == '!' || glob[i] == '^')) {
        negated = true;
        ++i;
    }
    bool matched = false;
    bool first = true;
    for (;;) {
        if (i >= glob.size()) {
            return std::nullopt;
        }
        if (glob[i] == ']' && !first) {
            return Bracket{matched != negated, i + 1};
        }
        first = false;
        if (glob[i] == '[' && i + 1 < glob.size() && glob[i + 1] == ':') {
            const std::size_t end = glob.find(":]", i + 2);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
            const std::string_view name = glob.substr(i + 2, end - i - 2);
            const NamedClass* found = nullptr;
            for (const NamedClass& named : kClasses) {
                if (named.name == name) found = &named;
            }
            if (found == nullptr) {
                return Bracket{false, 0, true};
            }
            matched = matched || found->test(c) != 0;
            i = end + 2;
            continue;
        }
        if (glob[i] == '\\' && i + 1 < glob.size()) {
            ++i;
        }
        const auto low = static_cast<unsigned char>(glob[i]);
        ++i;
        unsigned char high = low;
        if (i + 1 < glob.size() && glob[i] == '-' && glob[i + 1] != ']') {
            std::size_t end = i + 1;
            if (glob[end] == '\\' && end + 1 < glob.size()) {
                ++end;
            }
            high = static_cast<unsigned char>(glob[end]);
            i = end + 1;
        }
        matched = matched || (low <= c && c <= high);
    }
}

}  // namespace

bool globMatches(std::string_view glob, std::string_view text, bool byPath) {
    std::size_t g = 0;
    std::size_t t = 0;
    // The last star seen and the text it stands for up to now: on a mismatch
    // it takes one byte more. A later star makes an earlier one's choice
    // final, and with byPath a star never crosses a slash.
    std::optional<std::size_t> starGlob;
    std::size_t starText = 0;
    while (t < text.size() || g < glob.size()) {
        if (g < glob.size()) {
            const char p = glob[g];
            const auto c = t < text.size() ? static_cast<unsigned char>(text[t]) : 0;
            const bool more = t < text.size();
            if (p == '*') {
                while (g < glob.size() && glob[g] == '*') ++g;
                starGlob = g;
                starText = t;
                continue;
            }
            if (more && !(byPath && c == '/')) {
                if (p == '?') {
                    ++g;
                    ++t;
                    continue;
                }
                if (p == '[') {
                    if (const std::optional<Bracket> bracket = matchBracket(glob, g, c)) {
                        if (bracket->unknownClass) {
                            return false;
                        }
                        if (bracket->matched) {
                            g = bracket->next;
                            ++t;
                            continue;
                        }
                    } else if (c == '[') {
                        ++g;
                        ++t;
                        continue;
                    }
                }
            }
            // A backslash at the very end escapes nothing and matches nothing.
            if (more && p != '?' && p != '[' && !(p == '\\' && g + 1 == glob.size())) {
                const bool escaped = p == '\\';
                if (static_cast<unsigned char>(glob[escaped ? g + 1 : g]) == c) {
                    g += escaped ? 2 : 1;
                    ++t;
                    continue;
                }
            }
        }
        if (!starGlob || starText >= text.size() || (byPath && text[starText] == '/')) {
            return false;
        }
        ++starText;
        g = *starGlob;
        t = starText;
    }
    return true;
}

}  // namespace kinfold::cli
