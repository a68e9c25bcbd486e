#include "insert/InsertPlan.h"

#include "insert/PointerRewrite.h"
#include "insert/Replacement.h"
#include "insert/RomString.h"
#include "insert/TextEncoder.h"
#include "search/ResultLine.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace kinfold {
namespace {

// A pointer to a string, where it came from, and the form of value it holds.
struct KnownPointer {
    std::uint64_t offset = 0;
    int line = 0;         // the script's line or the pointers file's
    bool listed = false;  // from the pointers file
    int form = 0;
};

// One line of the script as it is worked on.
struct Work {
    const ScriptEntry* entry = nullptr;
    RomString old;
    bool valid = false;  // its string was read and it is no copy of another line
    bool changed = false;
    bool moves = false;
    EncodedText encoded;
    std::uint64_t padTo = 0;            // in place: bytes written with the padding
    std::vector<std::uint8_t> padding;  // the padding's unit
    std::vector<KnownPointer> pointers;
    std::uint64_t newOffset = 0;
};

}  // namespace

std::string InsertRefusal::message() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + reason : reason;
}

InsertPlan planInsert(const InsertRequest& request) {
    InsertPlan plan;
    const std::span<const std::uint8_t> rom = request.rom;
    const std::uint64_t size = rom.size();
    const auto refuse = [&](int line, std::string reason) { plan.refusals.push_back({line, std::move(reason), {}}); };

    for (const ByteRange& r : request.free) {
        const std::string range = "--free " + std::to_string(r.start) + "-" + std::to_string(r.end);
        if (r.end <= r.start) refuse(0, range + " holds no byte: its END is exclusive and must lie past its START");
        if (r.end > size) refuse(0, range + " runs past the end of the ROM (" + std::to_string(size) + " bytes)");
    }

    const TableDecoder decoder(*request.table);
    std::vector<Work> work(request.lines.size());
    for (std::size_t k = 0; k < work.size(); ++k) {
        Work& w = work[k];
        w.entry = &request.lines[k];
        const ScriptEntry& e = *w.entry;
        if (e.offset >= size) {
            refuse(e.line, "the offset " + resultLine(e.offset) + " lies past the end of the ROM (" +
                               std::to_string(size) + " bytes)");
            continue;
        }
        w.old = romStringAt(rom, decoder, e.offset);
        if (w.old.length == 0) {
            refuse(e.line, "no string starts at " + resultLine(e.offset) + " with this table: no entry matches there");
            continue;
        }
        w.valid = true;
        if (e.pointer) w.pointers.push_back({*e.pointer, e.line, false, 0});
    }

    // Lines for one string, and strings that overlap, by offset.
    std::vector<std::size_t> order;
    for (std::size_t k = 0; k < work.size(); ++k) {
        if (work[k].valid) order.push_back(k);
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return work[a].old.offset < work[b].old.offset; });
    std::size_t last = work.size();  // the line before, by offset
    for (const std::size_t k : order) {
        Work& w = work[k];
        if (last == work.size()) {
            last = k;
            continue;
        }
        Work& before = work[last];
        const ScriptEntry& a = *before.entry;
        const ScriptEntry& b = *w.entry;
        if (w.old.offset == before.old.offset) {
            // Pointer-table lines for one string of one text are its pointers together.
            if (a.pointer && b.pointer && a.text == b.text) {
                before.pointers.insert(before.pointers.end(), w.pointers.begin(), w.pointers.end());
            } else {
                refuse(b.line,
                       "it and line " + std::to_string(a.line) + " are both for the string at " + resultLine(b.offset));
            }
            w.valid = false;
            continue;
        }
        if (before.old.offset + before.old.length > w.old.offset) {
            refuse(b.line, "its string at " + resultLine(b.offset) + " overlaps the string of line " +
                               std::to_string(a.line) + ", which runs from " + resultLine(a.offset) + " for " +
                               std::to_string(before.old.length) + " bytes");
            w.valid = false;
            continue;
        }
        last = k;
    }

    // The pointers the pointers file knows, by what they point at.
    std::unordered_multimap<std::uint64_t, const ListedPointer*> listedByTarget;
    for (const ListedPointer& p : request.listed) listedByTarget.emplace(p.target, &p);

    const TextEncoder encoder(*request.table);
    std::optional<EncodedText> spaceBytes;
    for (Work& w : work) {
        if (!w.valid) continue;
        const ScriptEntry& e = *w.entry;
        if (e.text == w.old.text) continue;
        w.changed = true;
        if (const auto failure = encodeReplacement(encoder, rom, w.old, e.text, w.encoded)) {
            refuse(e.line, encodeProblem(*failure, columnOf(e, failure->at)));
            w.valid = false;
            continue;
        }
        const std::uint64_t length = w.encoded.bytes.size();
        if (!w.old.ended) {
            // A fixed field keeps its length.
            const std::string field = "the string at " + resultLine(e.offset) + " has no end token, so it keeps its " +
                                      std::to_string(w.old.length) + " bytes";
            if (length > w.old.length) {
                refuse(e.line, field + ", and its new text takes " + std::to_string(length) + "; shorten it");
                w.valid = false;
                continue;
            }
            if (length < w.old.length) {
                if (request.pad) {
                    w.padding = {*request.pad};
                } else {
                    if (!spaceBytes) {
                        spaceBytes.emplace();
                        if (encoder.encode(" ", *spaceBytes)) spaceBytes->bytes.clear();
                    }
                    if (spaceBytes->bytes.empty() || (w.old.length - length) % spaceBytes->bytes.size() != 0) {
                        refuse(e.line, field + ", and its new text takes " + std::to_string(length) +
                                           ": give --pad HH to fill the rest (the table's space can't)");
                        w.valid = false;
                        continue;
                    }
                    w.padding = spaceBytes->bytes;
                }
                w.padTo = w.old.length;
            }
            continue;
        }
        if (length <= w.old.length) {
            if (request.pad) {
                w.padding = {*request.pad};
                w.padTo = w.old.length;
            }
            continue;
        }
        // It moves: its pointers must be known, and lead to it.
        const auto [first, end] = listedByTarget.equal_range(e.offset);
        for (auto it = first; it != end; ++it) w.pointers.push_back({it->second->offset, it->second->line, true, 0});
        std::sort(w.pointers.begin(), w.pointers.end(),
                  [](const KnownPointer& a, const KnownPointer& b) { return a.offset < b.offset; });
        w.pointers.erase(std::unique(w.pointers.begin(), w.pointers.end(),
                                     [](const KnownPointer& a, const KnownPointer& b) { return a.offset == b.offset; }),
                         w.pointers.end());
        w.moves = true;
        const std::string grown = "its new text takes " + std::to_string(length) + " bytes where the string at " +
                                  resultLine(e.offset) + " had " + std::to_string(w.old.length);
        if (w.pointers.empty()) {
            refuse(e.line, grown +
                               ", and no pointer to it is known to move it: give --pointers with the output of "
                               "kinfold pointers, or insert from a pointer-table dump");
            w.valid = false;
            continue;
        }
        if (request.mapping == nullptr) {
            refuse(e.line, grown + ", and its pointers can't be rewritten: " + request.mappingProblem);
            w.valid = false;
            continue;
        }
        const PointerMapping& mapping = *request.mapping;
        const auto width = static_cast<std::uint64_t>(mapping.pointerBytes());
        for (KnownPointer& p : w.pointers) {
            const std::string from = p.listed ? " (from line " + std::to_string(p.line) + " of the pointers file)" : "";
            if (p.offset > size || size - p.offset < width) {
                refuse(e.line, "the pointer at " + resultLine(p.offset) + from + " lies past the end of the ROM");
                w.valid = false;
                continue;
            }
            const std::uint32_t value = mapping.valueAt(rom.subspan(static_cast<std::size_t>(p.offset)));
            const std::optional<int> form = pointerForm(mapping, value, e.offset);
            if (!form) {
                refuse(e.line, "the pointer at " + resultLine(p.offset) + from + " holds " + resultLine(value) +
                                   ", which under " + std::string(mappingName(mapping.kind())) + " does not point at " +
                                   resultLine(e.offset));
                w.valid = false;
                continue;
            }
            p.form = *form;
        }
    }

    // Free space: the free ranges less the strings that stay and the pointers that change.
    std::vector<ByteRange> kept;
    std::vector<ByteRange> pointerBytes;
    for (const Work& w : work) {
        if (!w.valid) continue;
        if (!w.moves) kept.push_back({w.old.offset, w.old.offset + w.old.length});
        const std::uint64_t width = request.mapping ? static_cast<std::uint64_t>(request.mapping->pointerBytes()) : 0;
        if (w.moves) {
            for (const KnownPointer& p : w.pointers) pointerBytes.push_back({p.offset, p.offset + width});
        }
    }
    std::vector<ByteRange> taken = kept;
    taken.insert(taken.end(), pointerBytes.begin(), pointerBytes.end());
    const Boundaries boundaries = request.mapping ? boundariesOf(*request.mapping) : Boundaries{};
    std::vector<ByteRange> free;
    for (const ByteRange& r : request.free) {
        if (r.start < r.end && r.end <= size) free.push_back(r);
    }
    FreeSpace space(free, taken, boundaries.origin, boundaries.cut);

    // A pointer that lies in a string that stays would be written over by it, or write over it.
    std::vector<std::pair<ByteRange, int>> keptByOffset;
    for (const Work& w : work) {
        if (w.valid && !w.moves) keptByOffset.push_back({{w.old.offset, w.old.offset + w.old.length}, w.entry->line});
    }
    std::sort(keptByOffset.begin(), keptByOffset.end(),
              [](const auto& a, const auto& b) { return a.first.start < b.first.start; });

    for (Work& w : work) {
        if (!w.valid || !w.moves) continue;
        const PointerMapping& mapping = *request.mapping;
        const ScriptEntry& e = *w.entry;
        bool clear = true;
        for (const KnownPointer& p : w.pointers) {
            auto it = std::upper_bound(keptByOffset.begin(), keptByOffset.end(), p.offset + mapping.pointerBytes() - 1,
                                       [](std::uint64_t at, const auto& k) { return at < k.first.start; });
            if (it != keptByOffset.begin() && std::prev(it)->first.end > p.offset) {
                refuse(e.line, "the pointer at " + resultLine(p.offset) + " lies in the string of line " +
                                   std::to_string(std::prev(it)->second) + ", which stays where it is");
                clear = false;
            }
        }
        if (!clear) {
            w.valid = false;
            continue;
        }
        // Where every one of its pointers reaches.
        std::vector<ByteRange> windows;
        for (const KnownPointer& p : w.pointers) {
            std::vector<ByteRange> reach = reachableWindows(mapping, w.old.offset, size, p.form);
            if (&p == &w.pointers.front()) {
                windows = std::move(reach);
                continue;
            }
            if (reach.empty()) windows.clear();
            for (ByteRange& window : windows) {
                for (const ByteRange& r : reach) {
                    if (r.start == window.start) window.end = std::min(window.end, r.end);
                }
            }
        }
        const std::uint64_t length = w.encoded.bytes.size();
        std::optional<std::uint64_t> place;
        for (const ByteRange& window : windows) {
            place = space.take(length, window);
            if (place) break;
        }
        if (!place) {
            std::uint64_t room = 0;
            for (const ByteRange& window : windows) room = std::max(room, space.largestRoom(window));
            refuse(e.line, "the string at " + resultLine(e.offset) + ", " + std::to_string(length) +
                               " bytes now, fits in no free space its pointers reach: the largest room left there "
                               "is " +
                               std::to_string(room) + " bytes");
            plan.refusals.back().unplaced = Unplaced{e.offset, length, length - w.old.length, room};
            w.valid = false;
            continue;
        }
        w.newOffset = *place;
    }

    if (plan.refused()) {
        std::stable_sort(plan.refusals.begin(), plan.refusals.end(),
                         [](const InsertRefusal& a, const InsertRefusal& b) { return a.line < b.line; });
        return plan;
    }

    // Every string has its place: the output.
    plan.output.assign(rom.begin(), rom.end());
    for (const Work& w : work) {
        if (!w.valid || !w.changed) continue;
        const ScriptEntry& e = *w.entry;
        StringChange change{e.line, w.old.offset, w.old.length, w.old.offset, w.encoded.bytes.size(), {}};
        if (w.moves) {
            change.newOffset = w.newOffset;
            for (const KnownPointer& p : w.pointers) {
                const std::uint32_t value = *valueOfForm(*request.mapping, w.newOffset, p.form);
                storePointer(*request.mapping, value,
                             std::span(plan.output).subspan(static_cast<std::size_t>(p.offset)));
                change.pointers.push_back(p.offset);
            }
            plan.pointersRewritten += w.pointers.size();
            ++plan.moved;
        } else {
            ++plan.inPlace;
        }
        auto at = static_cast<std::size_t>(change.newOffset);
        std::copy(w.encoded.bytes.begin(), w.encoded.bytes.end(),
                  plan.output.begin() + static_cast<std::ptrdiff_t>(at));
        at += w.encoded.bytes.size();
        // A string in place fills the rest of its old bytes with the padding, when it has one.
        const std::uint64_t padEnd = w.moves || w.padding.empty() ? 0 : w.old.offset + w.padTo;
        for (std::size_t k = 0; at < padEnd; ++at, ++k) plan.output[at] = w.padding[k % w.padding.size()];
        plan.changes.push_back(std::move(change));
    }
    if (!request.keepChecksums) plan.checksums = keepChecksumsRight(request.console, rom, plan.output);
    plan.freeLeft = space.left();
    return plan;
}

std::string insertSummary(const InsertPlan& plan) {
    std::string checksums;
    for (const std::string& name : plan.checksums) checksums += (checksums.empty() ? "" : ", ") + name;
    if (checksums.empty()) checksums = "none";
    return std::to_string(plan.changes.size()) + " strings changed: " + std::to_string(plan.inPlace) + " in place, " +
           std::to_string(plan.moved) + " moved, " + std::to_string(plan.pointersRewritten) +
           " pointers rewritten; checksums updated: " + checksums + "; " + std::to_string(plan.freeLeft) +
           " bytes of free space left";
}

}  // namespace kinfold
