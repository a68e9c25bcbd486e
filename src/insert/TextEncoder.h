#pragma once

#include "table/CodeTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kinfold {

// Why a text can't be encoded, at the byte at of the text.
struct EncodeFailure {
    enum class Kind {
        NoEntry,        // no entry covers the character there
        FewParameters,  // a control's label there, without all of its <$HH> parameters
        EndInside,      // only an end token covers the text there, and it is not the text's end
    };
    Kind kind = Kind::NoEntry;
    std::size_t at = 0;
    std::string text;    // the character, the control's label or the end token's text
    int parameters = 0;  // FewParameters: how many the control takes
};

// A text encoded: its bytes, and whether they end with an end token.
struct EncodedText {
    std::vector<std::uint8_t> bytes;
    bool ended = false;
};

// Encodes texts through a table, the inverse of decoding. What covers a
// piece of text: a normal entry by its text, an end token by its text (only
// at the end of the text, since it ends the string), a line break entry by
// its text and a line break, a control by its label and exactly its
// parameters as <$HH>, and <$HH> alone by the byte HH. Of every way to cover
// the whole text, the one with the fewest bytes is written; of those equally
// short, walking from the start, at each position the piece with the longest
// text, then the lowest bytes. A shortest path over the text's positions.
// Not for several threads at once: it keeps its working room between texts.
class TextEncoder {
public:
    explicit TextEncoder(const CodeTable& table);

    std::optional<EncodeFailure> encode(std::string_view text, EncodedText& out) const;

private:
    struct Piece {
        std::uint8_t bytes[kMaxEntryBytes] = {};
        std::uint8_t length = 0;
        std::uint8_t parameters = 0;
        bool end = false;
    };
    struct Node {
        std::uint32_t childStart = 0;
        std::uint32_t childCount = 0;
        std::int32_t plain = -1;       // the best normal or line break piece whose text ends here
        std::int32_t end = -1;         // the best end token whose text ends here
        std::uint8_t plainLength = 0;  // their bytes
        std::uint8_t endLength = 0;
        std::uint32_t controlStart = 0;  // the controls whose label ends here, in controls_
        std::uint32_t controlCount = 0;
    };
    // One way to go on from a position.
    struct Step {
        std::int32_t piece = -1;     // -1 for a raw <$HH>
        std::size_t textLength = 0;  // the text it covers
        std::size_t byteCount = 0;   // the bytes it writes
    };

    std::uint32_t child(std::uint32_t node, std::uint8_t byte) const;
    // Calls step(Step) for every piece that covers text from at on.
    template <typename Visit>
    void forEachStep(std::string_view text, std::size_t at, Visit visit) const;
    // The bytes of a step at at, code and parameters, into out; how many.
    std::size_t stepBytes(const Step& step, std::string_view text, std::size_t at, std::uint8_t* out) const;
    EncodeFailure failure(std::string_view text) const;

    std::vector<Piece> pieces_;
    std::vector<Node> nodes_;
    std::vector<std::pair<std::uint8_t, std::uint32_t>> children_;
    std::vector<std::int32_t> controls_;
    std::vector<std::uint32_t> rootChildren_ = std::vector<std::uint32_t>(256, 0);
    mutable std::vector<std::uint32_t> best_;
};

// Reads "<$HH>" at text[at] (either case of hex digit): the byte, or nullopt.
std::optional<std::uint8_t> rawByteAt(std::string_view text, std::size_t at);

}  // namespace kinfold
