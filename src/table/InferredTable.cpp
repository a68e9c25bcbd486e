#include "table/InferredTable.h"

#include "pattern/CharacterCode.h"
#include "pattern/KanaOrder.h"

#include <algorithm>
#include <optional>

namespace kinfold {
namespace {

bool inRange(int code, int first, int last) { return code >= first && code <= last; }

template <typename Visit>
void forEachChecked(const SearchPattern& pattern, Visit visit) {
    for (int i = 1; i <= pattern.count(); ++i) {
        if (!pattern.isSkipped(i)) visit(pattern.value(i));
    }
}

}  // namespace

std::string numberEntryText(int value) {
    std::string text(1, '[');
    text.append(std::to_string(value)).push_back(']');
    return text;
}

bool patternIsText(const SearchPattern& pattern) {
    bool any = false;
    bool printable = true;
    forEachChecked(pattern, [&](int value) {
        any = true;
        printable = printable && isPrintableCode(value);
    });
    return any && printable;
}

std::string patternText(const SearchPattern& pattern) {
    const bool text = patternIsText(pattern);
    std::string out;
    for (int i = 1; i <= pattern.count(); ++i) {
        if (!text && i > 1) out += ' ';
        if (pattern.isSkipped(i)) {
            out += '*';
        } else {
            out += text ? characterText(pattern.value(i)) : std::to_string(pattern.value(i));
        }
    }
    return out;
}

TableBlocks patternBlocks(const SearchPattern& pattern) {
    TableBlocks blocks;
    // A pattern of plain numbers maps its own values and nothing else.
    if (!patternIsText(pattern)) return blocks;
    forEachChecked(pattern, [&](int value) {
        blocks.upper = blocks.upper || inRange(value, 'A', 'Z');
        blocks.lower = blocks.lower || inRange(value, 'a', 'z');
        blocks.digits = blocks.digits || inRange(value, '0', '9');
        blocks.space = blocks.space || value == ' ';
        blocks.kana = blocks.kana || kanaPlaceOfCode(value).has_value();
    });
    return blocks;
}

std::vector<CodeRun> kanaRuns(const SearchPattern& pattern) {
    // Per script: none of its kana (0), basic kana only (1), others too (2).
    int hiragana = 0;
    int katakana = 0;
    forEachChecked(pattern, [&](int value) {
        const std::optional<KanaPlace> place = kanaPlaceOfCode(value);
        if (!place) return;
        int& uses = place->script == KanaScript::Hiragana ? hiragana : katakana;
        uses = std::max(uses, place->group == KanaGroup::Basic ? 1 : 2);
    });
    if (hiragana == 0 && katakana == 0) hiragana = 1;
    std::vector<CodeRun> runs;
    const auto addRun = [&](int uses, int base, int wholeRun) {
        if (uses > 0) runs.push_back({base, base + (uses == 1 ? kBasicKana : wholeRun) - 1});
    };
    addRun(hiragana, kHiraganaBase, kHiraganaRun);
    addRun(katakana, kKatakanaBase, kKatakanaRun);
    return runs;
}

CharacterTable inferTable(const SearchPattern& pattern, std::int64_t shift, const TableBlocks& blocks,
                          const MatchOptions& options, const UserOrder* order) {
    CharacterTable table(options.unitBytes(), options.byteOrder);
    const auto top = static_cast<std::int64_t>(table.maxUnit());
    const auto add = [&](int code, std::string text) {
        const std::int64_t unit = code + shift;
        if (unit >= 0 && unit <= top) table.set(static_cast<std::uint32_t>(unit), std::move(text));
    };
    const auto addBlock = [&](bool wanted, int first, int last) {
        if (!wanted) return;
        for (int c = first; c <= last; ++c) add(c, characterText(c));
    };
    if (order != nullptr) {
        for (int c = 1; c <= static_cast<int>(order->size()); ++c) add(c, order->text(c));
        return table;
    }
    addBlock(blocks.upper, 'A', 'Z');
    addBlock(blocks.lower, 'a', 'z');
    addBlock(blocks.digits, '0', '9');
    addBlock(blocks.space, ' ', ' ');
    if (blocks.kana) {
        for (const CodeRun& run : kanaRuns(pattern)) addBlock(true, run.first, run.last);
    }
    // The pattern's own entries last, so that a value typed as a number keeps
    // its number where a block would have put a letter.
    const bool text = patternIsText(pattern);
    forEachChecked(pattern, [&](int value) { add(value, text ? characterText(value) : numberEntryText(value)); });
    return table;
}

}  // namespace kinfold
