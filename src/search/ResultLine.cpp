#include "search/ResultLine.h"

#include <algorithm>

namespace kinfold {

std::string resultLine(std::uint64_t offset) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    std::uint64_t rest = offset;
    do {
        hex += kDigits[rest % 16];
        rest /= 16;
    } while (rest != 0);
    std::reverse(hex.begin(), hex.end());
    return std::to_string(offset) + " (" + hex + " hex)";
}

}  // namespace kinfold
