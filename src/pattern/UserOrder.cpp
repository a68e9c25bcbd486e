#include "pattern/UserOrder.h"

#include "pattern/CharacterCode.h"

namespace kinfold {

std::variant<UserOrder, std::string> UserOrder::read(std::string_view utf8) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    std::size_t at = utf8.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    UserOrder order;
    while (at < utf8.size()) {
        const std::optional<DecodedCharacter> c = decodeFirstCharacter(utf8.substr(at));
        if (!c) return "byte " + std::to_string(at + 1) + " is not valid UTF-8";
        at += c->length;
        if (c->codePoint == U'\n' || c->codePoint == U'\r') continue;
        if (order.characters_.size() == kMaxCharacters) {
            return "it has more than " + std::to_string(kMaxCharacters) + " characters";
        }
        order.characters_.push_back(c->codePoint);
        order.codes_.emplace(c->codePoint, static_cast<std::int16_t>(order.characters_.size()));
    }
    if (order.characters_.empty()) return std::string("it is empty");
    return order;
}

std::optional<std::int16_t> UserOrder::code(char32_t codePoint) const {
    const auto found = codes_.find(codePoint);
    if (found == codes_.end()) return std::nullopt;
    return found->second;
}

std::string UserOrder::text(int code) const {
    if (code < 1 || static_cast<std::size_t>(code) > characters_.size()) return {};
    return utf8Text(characters_[static_cast<std::size_t>(code - 1)]);
}

}  // namespace kinfold
