#include "cli/HitPrinter.h"

#include "cli/JsonLine.h"
#include "search/FileReader.h"
#include "search/ResultLine.h"
#include "table/FileWindow.h"
#include "table/HitShift.h"
#include "table/TableDecoding.h"
#include "table/TableFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <vector>

namespace kinfold::cli {
namespace {

// Enough inferred tables kept for any real file; a pattern that hits at every
// offset of a wide file could otherwise keep one per hit.
constexpr std::size_t kKeptTables = 256;
// Shifts whose hits are counted for the choice of one table: beyond these a
// pattern that hits everywhere would hold a count for every hit.
constexpr std::size_t kCountedShifts = 65536;
// Other shifts the note names before it sums up the rest.
constexpr std::size_t kNamedShifts = 8;

std::string hitsText(std::uint64_t n) { return std::to_string(n) + (n == 1 ? " hit" : " hits"); }

}  // namespace

HitPrinter::HitPrinter(const PrintContext& context, const FoundFile& file, std::uint64_t searchedSize)
    : context_(context),
      file_(file),
      searchedSize_(searchedSize),
      pathText_(pathText(file.path)),
      blocks_(patternBlocks(context.pattern)) {
    const auto unit = static_cast<std::size_t>(context.match.unitBytes());
    const auto first = static_cast<std::size_t>(firstCheckedEntry(context.pattern).value_or(1));
    bytesAtHit_ = std::max(context.output.preview, first * unit);
}

// JSON gives the table on a hit, where its shift says which it is.
bool HitPrinter::tableAfterEachShift() const {
    return context_.output.table && (context_.output.tablePerShift || context_.output.json);
}

bool HitPrinter::needsBytes() const {
    const OutputOptions& o = context_.output;
    return !problem_ && (o.json || o.table || o.preview > 0);
}

const HitPrinter::ShiftTable& HitPrinter::tableFor(std::int64_t shift) {
    auto found = tables_.find(shift);
    if (found == tables_.end()) {
        if (tables_.size() >= kKeptTables) {
            tables_.clear();
        }
        CharacterTable inferred =
            inferTable(context_.pattern, shift, blocks_, context_.match, context_.order ? &*context_.order : nullptr);
        CodeTable decoded = codeTableOf(inferred);
        decoded.merge(context_.userTable);
        found = tables_.emplace(shift, ShiftTable{std::move(inferred), TableDecoder(decoded)}).first;
    }
    return found->second;
}

HitPrinter::Details HitPrinter::detailsAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    Details details;
    details.shift = hitShift(context_.pattern, bytes, context_.match);
    if (!details.shift) {
        return details;
    }
    const OutputOptions& o = context_.output;
    if (o.table && !tableAfterEachShift()) {
        const auto counted = shiftHits_.find(*details.shift);
        if (counted != shiftHits_.end()) {
            ++counted->second.count;
        } else if (shiftHits_.size() < kCountedShifts) {
            shiftHits_.emplace(*details.shift, ShiftHits{1, offset});
        }
    }
    if (tableAfterEachShift() || o.preview > 0) {
        const ShiftTable& table = tableFor(*details.shift);
        if (tableAfterEachShift() && printedShifts_.insert(*details.shift).second) {
            details.table = &table.inferred;
        }
        if (o.preview > 0) {
            details.preview = decodeOneLine(table.decoder, bytes.first(std::min(bytes.size(), o.preview)),
                                            static_cast<std::size_t>(context_.match.unitBytes()));
        }
    }
    return details;
}

void HitPrinter::hits(std::span<const std::uint64_t> offsets, std::string& out) {
    if (context_.output.count || offsets.empty()) {
        return;
    }
    // One read for the whole batch: its hits lie within one slice of the scan.
    FileWindowRead read;
    if (needsBytes()) {
        read = readFileWindow(file_.path, searchedSize_, offsets.front(), 0,
                              offsets.back() - offsets.front() + bytesAtHit_, context_.match.unitBytes());
        if (!read.ok()) {
            problem_ = read.message;
        }
    }
    const std::span<const std::uint8_t> window(read.window.bytes);
    for (const std::uint64_t offset : offsets) {
        Details details;
        if (read.ok()) {
            const auto from = static_cast<std::size_t>(offset - read.window.start);
            details = detailsAt(offset, window.subspan(from, std::min(bytesAtHit_, window.size() - from)));
        }
        if (context_.output.json) {
            appendJson(offset, details, out);
        } else {
            appendText(offset, details, out);
        }
    }
}

// PATH:OFFSET (HEX hex), then the preview after two spaces; a table comes
// after the first hit with its shift, when each shift has one.
void HitPrinter::appendText(std::uint64_t offset, const Details& details, std::string& out) const {
    if (!context_.output.tableOnly) {
        out += pathText_;
        out += ':';
        out += resultLine(offset);
        if (details.preview) {
            out += "  ";
            out += *details.preview;
        }
        out += '\n';
    }
    if (details.table != nullptr) {
        appendTable(offset, *details.shift, *details.table, out);
    }
}

// Alone, only table file lines: the hit as a comment above its table.
// Otherwise its lines indented under a heading.
void HitPrinter::appendTable(std::uint64_t offset, std::int64_t shift, const CharacterTable& table,
                             std::string& out) const {
    const std::string shown = shiftText(shift, context_.pattern);
    if (context_.output.tableOnly) {
        out += "# " + pathText_ + ":" + resultLine(offset) + ", shift " + shown + "\n";
        out += tableFileText(table);
        return;
    }
    out += "  table for shift " + shown + ":\n";
    const std::string lines = tableFileText(table);
    for (std::size_t at = 0; at < lines.size();) {
        const std::size_t end = lines.find('\n', at);
        out += "    ";
        out.append(lines, at, end == std::string::npos ? std::string::npos : end - at);
        out += '\n';
        at = end == std::string::npos ? lines.size() : end + 1;
    }
}

void HitPrinter::appendJson(std::uint64_t offset, const Details& details, std::string& out) const {
    nlohmann::ordered_json hit = {{"path", pathText_}, {"offset", offset}};
    hit["shift"] = details.shift ? nlohmann::ordered_json(*details.shift) : nlohmann::ordered_json(nullptr);
    if (details.preview) {
        hit["preview"] = *details.preview;
    }
    if (details.table != nullptr) {
        nlohmann::ordered_json table = nlohmann::ordered_json::object();
        for (const auto& [unit, text] : details.table->entries()) {
            table[unitHex(unit, details.table->unitBytes(), details.table->byteOrder())] = text;
        }
        hit["table"] = std::move(table);
    }
    appendJsonLine(hit, out);
}

// The shift with the most hits; of shifts with as many, the one hit first.
const std::pair<const std::int64_t, HitPrinter::ShiftHits>* HitPrinter::mostHits() const {
    const std::pair<const std::int64_t, ShiftHits>* best = nullptr;
    for (const auto& entry : shiftHits_) {
        if (best == nullptr || entry.second.count > best->second.count ||
            (entry.second.count == best->second.count && entry.second.first < best->second.first)) {
            best = &entry;
        }
    }
    return best;
}

void HitPrinter::end(std::uint64_t count, std::string& out) {
    if (const auto* best = mostHits()) {
        const ShiftHits hits = best->second;
        appendTable(hits.first, best->first, tableFor(best->first).inferred, out);
    }
    if (!context_.output.count) {
        return;
    }
    if (context_.output.json) {
        appendJsonLine(nlohmann::ordered_json{{"path", pathText_}, {"count", count}}, out);
    } else {
        out += pathText_ + ":" + std::to_string(count) + "\n";
    }
}

std::optional<std::string> HitPrinter::note() const {
    const auto* best = mostHits();
    if (best == nullptr || shiftHits_.size() < 2) {
        return std::nullopt;
    }
    std::string text = pathText_ + ": the hits have " + std::to_string(shiftHits_.size()) +
                       " shifts; the table is for shift " + shiftText(best->first, context_.pattern) + " (" +
                       hitsText(best->second.count) + "), the others are ";
    std::vector<std::pair<std::int64_t, ShiftHits>> others;
    for (const auto& entry : shiftHits_) {
        if (entry.first != best->first) others.push_back(entry);
    }
    // The most hits first, then in the order they were hit.
    std::sort(others.begin(), others.end(), [](const auto& a, const auto& b) {
        return a.second.count != b.second.count ? a.second.count > b.second.count : a.second.first < b.second.first;
    });
    for (std::size_t i = 0; i < others.size() && i < kNamedShifts; ++i) {
        if (i > 0) text += ", ";
        text += shiftText(others[i].first, context_.pattern) + " (" + hitsText(others[i].second.count) + ")";
    }
    if (others.size() > kNamedShifts) {
        text += " and " + std::to_string(others.size() - kNamedShifts) + " more";
    }
    text += "; --table-per-shift prints a table for each";
    return text;
}

}  // namespace kinfold::cli
