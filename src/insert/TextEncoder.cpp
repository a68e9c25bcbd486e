#include "insert/TextEncoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>

namespace kinfold {
namespace {

constexpr std::uint32_t kNoWay = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t kRawLength = 5;  // "<$HH>"

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The length of the UTF-8 character that starts with lead, at most left.
std::size_t characterLength(unsigned char lead, std::size_t left) {
    const std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(n, left);
}

// Which of two byte runs is lower: byte by byte, a run before a longer one it starts.
bool lower(const std::uint8_t* a, std::size_t aLength, const std::uint8_t* b, std::size_t bLength) {
    return std::lexicographical_compare(a, a + aLength, b, b + bLength);
}

}  // namespace

std::optional<std::uint8_t> rawByteAt(std::string_view text, std::size_t at) {
    if (text.size() - at < kRawLength || text[at] != '<' || text[at + 1] != '$' || text[at + 4] != '>') {
        return std::nullopt;
    }
    const int high = hexValue(text[at + 2]);
    const int low = hexValue(text[at + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    return static_cast<std::uint8_t>(high << 4 | low);
}

TextEncoder::TextEncoder(const CodeTable& table) {
    // A trie of the pieces' texts, made with maps and then laid out flat.
    struct BuildNode {
        std::map<std::uint8_t, std::uint32_t> children;
        std::int32_t plain = -1;
        std::int32_t end = -1;
        std::vector<std::int32_t> controls;
    };
    std::vector<BuildNode> build(1);
    const auto better = [&](std::int32_t candidate, std::int32_t current) {
        if (current < 0) return true;
        const Piece& a = pieces_[static_cast<std::size_t>(candidate)];
        const Piece& b = pieces_[static_cast<std::size_t>(current)];
        if (a.length != b.length) return a.length < b.length;
        return lower(a.bytes, a.length, b.bytes, b.length);
    };
    for (const auto& [bytes, entry] : table.entries()) {
        if (bytes.empty() || bytes.size() > kMaxEntryBytes) continue;
        std::string text = entry.text;
        if (entry.kind == EntryKind::LineBreak) text += '\n';
        const int parameters =
            entry.kind == EntryKind::Control ? std::clamp(entry.parameters, 0, kMaxControlParameters) : 0;
        // A piece that covers no text would cover nothing at all.
        if (text.empty() && parameters == 0) continue;
        Piece piece;
        std::copy(bytes.begin(), bytes.end(), piece.bytes);
        piece.length = static_cast<std::uint8_t>(bytes.size());
        piece.parameters = static_cast<std::uint8_t>(parameters);
        piece.end = entry.kind == EntryKind::End;
        const auto index = static_cast<std::int32_t>(pieces_.size());
        pieces_.push_back(piece);
        std::uint32_t node = 0;
        for (const char c : text) {
            const auto byte = static_cast<std::uint8_t>(c);
            auto found = build[node].children.find(byte);
            if (found == build[node].children.end()) {
                const auto next = static_cast<std::uint32_t>(build.size());
                build[node].children.emplace(byte, next);
                build.emplace_back();
                node = next;
            } else {
                node = found->second;
            }
        }
        BuildNode& at = build[node];
        if (entry.kind == EntryKind::Control) {
            at.controls.push_back(index);
        } else if (entry.kind == EntryKind::End) {
            if (better(index, at.end)) at.end = index;
        } else if (better(index, at.plain)) {
            at.plain = index;
        }
    }
    nodes_.resize(build.size());
    for (std::size_t k = 0; k < build.size(); ++k) {
        Node& node = nodes_[k];
        node.plain = build[k].plain;
        node.end = build[k].end;
        if (node.plain >= 0) node.plainLength = pieces_[static_cast<std::size_t>(node.plain)].length;
        if (node.end >= 0) node.endLength = pieces_[static_cast<std::size_t>(node.end)].length;
        node.controlStart = static_cast<std::uint32_t>(controls_.size());
        node.controlCount = static_cast<std::uint32_t>(build[k].controls.size());
        controls_.insert(controls_.end(), build[k].controls.begin(), build[k].controls.end());
        node.childStart = static_cast<std::uint32_t>(children_.size());
        node.childCount = static_cast<std::uint32_t>(build[k].children.size());
        for (const auto& [byte, next] : build[k].children) {
            children_.emplace_back(byte, next);
            if (k == 0) rootChildren_[byte] = next;
        }
    }
}

std::uint32_t TextEncoder::child(std::uint32_t node, std::uint8_t byte) const {
    if (node == 0) return rootChildren_[byte];
    const Node& n = nodes_[node];
    const auto first = children_.begin() + n.childStart;
    const auto last = first + n.childCount;
    if (n.childCount <= 8) {
        for (auto it = first; it != last; ++it) {
            if (it->first == byte) return it->second;
        }
        return 0;
    }
    const auto found = std::lower_bound(first, last, byte, [](const auto& c, std::uint8_t b) { return c.first < b; });
    return found != last && found->first == byte ? found->second : 0;
}

template <typename Visit>
void TextEncoder::forEachStep(std::string_view text, std::size_t at, Visit visit) const {
    const std::size_t n = text.size();
    const auto atNode = [&](std::uint32_t index, std::size_t after) {
        const Node& node = nodes_[index];
        if (node.plain >= 0) visit(Step{node.plain, after - at, node.plainLength});
        if (node.end >= 0 && after == n) visit(Step{node.end, after - at, node.endLength});
        for (std::uint32_t c = 0; c < node.controlCount; ++c) {
            const std::int32_t piece = controls_[node.controlStart + c];
            const Piece& control = pieces_[static_cast<std::size_t>(piece)];
            std::size_t to = after;
            bool whole = true;
            for (int k = 0; k < control.parameters && whole; ++k, to += kRawLength)
                whole = rawByteAt(text, to).has_value();
            if (whole) visit(Step{piece, to - at, std::size_t{control.length} + control.parameters});
        }
    };
    if (nodes_[0].controlCount > 0) atNode(0, at);
    std::uint32_t node = 0;
    for (std::size_t i = at; i < n; ++i) {
        node = child(node, static_cast<std::uint8_t>(text[i]));
        if (node == 0) break;
        atNode(node, i + 1);
    }
    if (text[at] == '<' && rawByteAt(text, at)) visit(Step{-1, kRawLength, 1});
}

std::size_t TextEncoder::stepBytes(const Step& step, std::string_view text, std::size_t at, std::uint8_t* out) const {
    if (step.piece < 0) {
        out[0] = *rawByteAt(text, at);
        return 1;
    }
    const Piece& piece = pieces_[static_cast<std::size_t>(step.piece)];
    std::copy(piece.bytes, piece.bytes + piece.length, out);
    // A control's parameters are the last of its text.
    const std::size_t first = at + step.textLength - kRawLength * piece.parameters;
    for (std::size_t k = 0; k < piece.parameters; ++k) out[piece.length + k] = *rawByteAt(text, first + kRawLength * k);
    return std::size_t{piece.length} + piece.parameters;
}

std::optional<EncodeFailure> TextEncoder::encode(std::string_view text, EncodedText& out) const {
    out.bytes.clear();
    out.ended = false;
    const std::size_t n = text.size();
    best_.assign(n + 1, kNoWay);
    best_[n] = 0;
    // The fewest bytes from each position to the end, from the end back.
    for (std::size_t i = n; i-- > 0;) {
        std::uint32_t best = kNoWay;
        forEachStep(text, i, [&](const Step& step) {
            const std::uint32_t rest = best_[i + step.textLength];
            if (rest != kNoWay) best = std::min(best, rest + static_cast<std::uint32_t>(step.byteCount));
        });
        best_[i] = best;
    }
    if (best_[0] == kNoWay) return failure(text);
    // From the start, at each position the longest text, then the lowest bytes, of the steps on a shortest way.
    std::uint8_t chosen[kMaxEntryBytes + kMaxControlParameters];
    std::uint8_t candidate[kMaxEntryBytes + kMaxControlParameters];
    for (std::size_t i = 0; i < n;) {
        Step pick;
        std::size_t pickLength = 0;  // the bytes in chosen, 0 until a tie needs them
        forEachStep(text, i, [&](const Step& step) {
            const std::uint32_t rest = best_[i + step.textLength];
            if (rest == kNoWay || rest + step.byteCount != best_[i]) return;
            if (pick.textLength > step.textLength) return;
            if (pick.textLength == step.textLength) {
                // Only a tie on the text needs the bytes.
                if (pickLength == 0) pickLength = stepBytes(pick, text, i, chosen);
                const std::size_t length = stepBytes(step, text, i, candidate);
                if (!lower(candidate, length, chosen, pickLength)) return;
                std::memcpy(chosen, candidate, sizeof chosen);
                pickLength = length;
                pick = step;
                return;
            }
            pick = step;
            pickLength = 0;
        });
        if (pickLength == 0) pickLength = stepBytes(pick, text, i, chosen);
        out.bytes.insert(out.bytes.end(), chosen, chosen + pickLength);
        out.ended = pick.piece >= 0 && pieces_[static_cast<std::size_t>(pick.piece)].end;
        i += pick.textLength;
    }
    return std::nullopt;
}

EncodeFailure TextEncoder::failure(std::string_view text) const {
    const std::size_t n = text.size();
    std::vector<bool> reached(n + 1, false);
    reached[0] = true;
    std::size_t furthest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!reached[i]) continue;
        furthest = i;
        forEachStep(text, i, [&](const Step& step) { reached[i + step.textLength] = true; });
    }
    EncodeFailure failure;
    failure.at = furthest;
    failure.text =
        std::string(text.substr(furthest, characterLength(static_cast<unsigned char>(text[furthest]), n - furthest)));
    // A control whose label runs up to where the covering stops, short of its parameters.
    for (std::size_t q = furthest + 1; q-- > 0;) {
        if (!reached[q]) continue;
        std::uint32_t node = 0;
        for (std::size_t i = q; i < n; ++i) {
            node = child(node, static_cast<std::uint8_t>(text[i]));
            if (node == 0) break;
            for (std::uint32_t c = 0; c < nodes_[node].controlCount && i + 1 >= furthest; ++c) {
                const Piece& control = pieces_[static_cast<std::size_t>(controls_[nodes_[node].controlStart + c])];
                if (control.parameters == 0) continue;
                failure.kind = EncodeFailure::Kind::FewParameters;
                failure.at = q;
                failure.text = std::string(text.substr(q, i + 1 - q));
                failure.parameters = control.parameters;
                return failure;
            }
        }
        if (q + 64 < furthest) break;
    }
    // An end token's text that does not end the text.
    std::uint32_t node = 0;
    for (std::size_t i = furthest; i < n; ++i) {
        node = child(node, static_cast<std::uint8_t>(text[i]));
        if (node == 0) break;
        if (nodes_[node].end >= 0) {
            failure.kind = EncodeFailure::Kind::EndInside;
            failure.text = std::string(text.substr(furthest, i + 1 - furthest));
            return failure;
        }
    }
    return failure;
}

}  // namespace kinfold
