#include "pattern/QuotedText.h"

namespace kinfold {

std::string quotedText(std::string_view bytes) {
    static constexpr std::size_t kLimit = 40;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (char c : bytes.substr(0, kLimit)) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (b < 0x20 || b >= 0x7F) {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += c;
        }
    }
    if (bytes.size() > kLimit) out += "...";
    out += '"';
    return out;
}

std::string quoted(std::string_view text) {
    // Built up in steps: "\"" + text + "\"" sets off a false -Wrestrict in GCC 12.
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

}  // namespace kinfold
