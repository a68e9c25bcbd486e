#include "patch/IpsPatch.h"

#include "patch/ByteRuns.h"

#include <algorithm>

namespace kinfold {
namespace {

constexpr std::uint32_t kEofOffset = 0x454F46;  // "EOF" read as an offset
constexpr std::size_t kMaxRecord = 0xFFFF;
// A new record costs its 5 header bytes: unchanged bytes fewer than that between two changes go inside one.
constexpr std::size_t kMergeGap = 5;
// A run record costs 8 bytes and splits the record around it: runs this long pay.
constexpr std::size_t kMinRun = 16;

void put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int k = bytes - 1; k >= 0; --k) out.push_back(static_cast<std::uint8_t>(value >> (8 * k)));
}

class IpsWriter {
public:
    IpsWriter(std::span<const std::uint8_t> target, std::vector<std::uint8_t>& out) : target_(target), out_(out) {}

    // Bytes [from, to) of the target as records of their bytes.
    void plain(std::size_t from, std::size_t to) {
        while (from < to) {
            // A record at "EOF" would end the patch: it takes the byte before as well.
            if (from == kEofOffset) --from;
            const std::size_t n = std::min(kMaxRecord, to - from);
            put(out_, from, 3);
            put(out_, n, 2);
            out_.insert(out_.end(), target_.begin() + static_cast<std::ptrdiff_t>(from),
                        target_.begin() + static_cast<std::ptrdiff_t>(from + n));
            from += n;
        }
    }

    // Bytes [from, to) of the target, one byte repeated, as run records.
    void run(std::size_t from, std::size_t to) {
        while (from < to) {
            if (from == kEofOffset) {
                plain(from - 1, from + 1);
                ++from;
                continue;
            }
            const std::size_t n = std::min(kMaxRecord, to - from);
            put(out_, from, 3);
            put(out_, 0, 2);
            put(out_, n, 2);
            out_.push_back(target_[from]);
            from += n;
        }
    }

    // A stretch of changes: its long runs of one byte as run records, the rest as they are.
    void stretch(std::size_t from, std::size_t to) {
        std::size_t pending = from;
        std::size_t at = from;
        while (at < to) {
            std::size_t end = at + 1;
            while (end < to && target_[end] == target_[at]) ++end;
            if (end - at >= kMinRun) {
                plain(pending, at);
                run(at, end);
                pending = end;
            }
            at = end;
        }
        plain(pending, to);
    }

private:
    std::span<const std::uint8_t> target_;
    std::vector<std::uint8_t>& out_;
};

std::uint64_t get(std::span<const std::uint8_t> bytes, std::size_t at, int count) {
    std::uint64_t value = 0;
    for (int k = 0; k < count; ++k) value = value << 8 | bytes[at + static_cast<std::size_t>(k)];
    return value;
}

}  // namespace

std::variant<std::vector<std::uint8_t>, std::string> ipsPatch(std::span<const std::uint8_t> source,
                                                              std::span<const std::uint8_t> target) {
    std::vector<std::uint8_t> out = {'P', 'A', 'T', 'C', 'H'};
    IpsWriter writer(target, out);
    std::size_t at = nextChange(source, target, 0);
    while (at < target.size()) {
        std::size_t end = changeEnd(source, target, at);
        // Changes close together share a record.
        while (end < target.size()) {
            const std::size_t next = nextChange(source, target, end);
            if (next >= target.size() || next - end >= kMergeGap) break;
            end = changeEnd(source, target, next);
        }
        if (end > kIpsReach) {
            const std::size_t first = nextChange(source, target, std::max<std::size_t>(at, kIpsReach));
            return "it changes the byte at " + std::to_string(first) +
                   ", and an IPS patch reaches no further than 16 MiB (16777216 bytes); write a BPS patch (--bps) "
                   "instead";
        }
        writer.stretch(at, end);
        at = nextChange(source, target, end);
    }
    out.insert(out.end(), {'E', 'O', 'F'});
    if (target.size() < source.size()) {
        if (target.size() >= kIpsReach) {
            return "the output is cut to " + std::to_string(target.size()) +
                   " bytes, a size an IPS patch can't give past 16 MiB; write a BPS patch (--bps) instead";
        }
        put(out, target.size(), 3);
    }
    return out;
}

std::variant<std::vector<std::uint8_t>, std::string> applyIps(std::span<const std::uint8_t> patch,
                                                              std::span<const std::uint8_t> source) {
    static constexpr std::uint8_t kMagic[5] = {'P', 'A', 'T', 'C', 'H'};
    if (patch.size() < 5 || !std::equal(kMagic, kMagic + 5, patch.begin())) {
        return std::string("it does not start with \"PATCH\"");
    }
    std::vector<std::uint8_t> out(source.begin(), source.end());
    std::size_t p = 5;
    const auto cut = [&](const std::string& what) {
        return "it ends inside " + what + " at " + std::to_string(p) + ", before its \"EOF\"";
    };
    while (true) {
        if (patch.size() - p < 3) return cut("a record's offset");
        if (get(patch, p, 3) == kEofOffset) {
            p += 3;
            break;
        }
        const auto offset = static_cast<std::size_t>(get(patch, p, 3));
        p += 3;
        if (patch.size() - p < 2) return cut("a record's size");
        const auto size = static_cast<std::size_t>(get(patch, p, 2));
        p += 2;
        if (size == 0) {
            if (patch.size() - p < 3) return cut("a run record");
            const auto count = static_cast<std::size_t>(get(patch, p, 2));
            const std::uint8_t byte = patch[p + 2];
            p += 3;
            if (out.size() < offset + count) out.resize(offset + count);
            std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(offset), count, byte);
            continue;
        }
        if (patch.size() - p < size) return cut("a record's bytes");
        if (out.size() < offset + size) out.resize(offset + size);
        std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(p), size,
                    out.begin() + static_cast<std::ptrdiff_t>(offset));
        p += size;
    }
    // Three bytes after "EOF" are the size the output is cut to; anything else there is passed over.
    if (patch.size() - p == 3) {
        const auto size = static_cast<std::size_t>(get(patch, p, 3));
        if (size < out.size()) out.resize(size);
    }
    return out;
}

}  // namespace kinfold
