#include "patch/BpsPatch.h"

#include "patch/ByteRuns.h"
#include "patch/Crc32.h"

#include <optional>

namespace kinfold {
namespace {

enum Action : std::uint64_t { kSourceRead = 0, kTargetRead = 1, kSourceCopy = 2, kTargetCopy = 3 };

// Unchanged bytes this few between changes go into the TargetRead around them.
constexpr std::size_t kMergeGap = 2;
// A run of one byte this long in a changed stretch is one byte read and a TargetCopy of the rest.
constexpr std::size_t kMinRun = 8;
// Far beyond any ROM: a patch that names a larger output is refused before anything is made.
constexpr std::uint64_t kMaxTarget = std::uint64_t{1} << 30;

void appendCrc(std::uint32_t crc, std::vector<std::uint8_t>& out) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(crc >> (8 * k)));
}

std::uint32_t crcAt(std::span<const std::uint8_t> bytes, std::size_t at) {
    std::uint32_t crc = 0;
    for (int k = 3; k >= 0; --k) crc = crc << 8 | bytes[at + static_cast<std::size_t>(k)];
    return crc;
}

class BpsWriter {
public:
    BpsWriter(std::span<const std::uint8_t> target, std::vector<std::uint8_t>& out) : target_(target), out_(out) {}

    void sourceRead(std::size_t length) {
        action(kSourceRead, length);
        written_ += length;
    }

    // Target bytes [written, to), its long runs of one byte copied from the byte before.
    void changed(std::size_t to) {
        std::size_t pending = written_;
        std::size_t at = written_;
        while (at < to) {
            std::size_t end = at + 1;
            while (end < to && target_[end] == target_[at]) ++end;
            if (end - at >= kMinRun) {
                targetRead(pending, at + 1);
                targetCopy(at, end - at - 1);
                pending = end;
            }
            at = end;
        }
        targetRead(pending, to);
    }

private:
    void action(Action kind, std::size_t length) { appendBpsNumber((std::uint64_t{length} - 1) << 2 | kind, out_); }

    void targetRead(std::size_t from, std::size_t to) {
        if (from == to) return;
        action(kTargetRead, to - from);
        out_.insert(out_.end(), target_.begin() + static_cast<std::ptrdiff_t>(from),
                    target_.begin() + static_cast<std::ptrdiff_t>(to));
        written_ = to;
    }

    // length bytes copied from the target's own bytes at from on.
    void targetCopy(std::size_t from, std::size_t length) {
        action(kTargetCopy, length);
        const auto d = static_cast<std::int64_t>(from) - static_cast<std::int64_t>(targetRelative_);
        const std::uint64_t magnitude = static_cast<std::uint64_t>(d < 0 ? -d : d);
        appendBpsNumber(magnitude << 1 | (d < 0 ? 1 : 0), out_);
        targetRelative_ = from + length;
        written_ += length;
    }

    std::span<const std::uint8_t> target_;
    std::vector<std::uint8_t>& out_;
    std::size_t written_ = 0;
    std::size_t targetRelative_ = 0;
};

// Reads a BPS number at p, moving p past it; nullopt when the bytes end first or it overflows.
std::optional<std::uint64_t> readNumber(std::span<const std::uint8_t> bytes, std::size_t& p, std::size_t end) {
    std::uint64_t data = 0;
    std::uint64_t shift = 1;
    while (p < end) {
        const std::uint8_t x = bytes[p++];
        const std::uint64_t part = (x & 0x7Fu) * shift;
        if (part / shift != (x & 0x7Fu) || data + part < data) return std::nullopt;
        data += part;
        if ((x & 0x80u) != 0) return data;
        if (shift > (std::uint64_t{1} << 56)) return std::nullopt;
        shift <<= 7;
        if (data + shift < data) return std::nullopt;
        data += shift;
    }
    return std::nullopt;
}

}  // namespace

void appendBpsNumber(std::uint64_t n, std::vector<std::uint8_t>& out) {
    while (true) {
        const auto x = static_cast<std::uint8_t>(n & 0x7F);
        n >>= 7;
        if (n == 0) {
            out.push_back(static_cast<std::uint8_t>(0x80 | x));
            return;
        }
        out.push_back(x);
        --n;
    }
}

std::vector<std::uint8_t> bpsPatch(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target) {
    std::vector<std::uint8_t> out = {'B', 'P', 'S', '1'};
    appendBpsNumber(source.size(), out);
    appendBpsNumber(target.size(), out);
    appendBpsNumber(0, out);
    BpsWriter writer(target, out);
    std::size_t at = 0;
    while (at < target.size()) {
        const std::size_t change = nextChange(source, target, at);
        if (change > at) writer.sourceRead(change - at);
        if (change == target.size()) break;
        std::size_t end = changeEnd(source, target, change);
        while (end < target.size()) {
            const std::size_t next = nextChange(source, target, end);
            if (next >= target.size() || next - end > kMergeGap) break;
            end = changeEnd(source, target, next);
        }
        writer.changed(end);
        at = end;
    }
    appendCrc(crc32Of(source), out);
    appendCrc(crc32Of(target), out);
    appendCrc(crc32Of(out), out);
    return out;
}

std::variant<std::vector<std::uint8_t>, std::string> applyBps(std::span<const std::uint8_t> patch,
                                                              std::span<const std::uint8_t> source) {
    static constexpr std::uint8_t kMagic[4] = {'B', 'P', 'S', '1'};
    if (patch.size() < 4 || !std::equal(kMagic, kMagic + 4, patch.begin())) {
        return std::string("it does not start with \"BPS1\"");
    }
    if (patch.size() < 4 + 3 + 12) return std::string("it is too short to be a BPS patch");
    const std::size_t end = patch.size() - 12;
    const std::uint32_t patchCrc = crc32Of(patch.first(patch.size() - 4));
    if (patchCrc != crcAt(patch, patch.size() - 4)) {
        return "it is damaged: its bytes give the CRC32 " + crc32Text(patchCrc) + ", not the " +
               crc32Text(crcAt(patch, patch.size() - 4)) + " it ends with";
    }
    std::size_t p = 4;
    const std::optional<std::uint64_t> sourceSize = readNumber(patch, p, end);
    const std::optional<std::uint64_t> targetSize = readNumber(patch, p, end);
    const std::optional<std::uint64_t> metadata = readNumber(patch, p, end);
    if (!sourceSize || !targetSize || !metadata || *metadata > end - p) {
        return std::string("its header is damaged");
    }
    p += static_cast<std::size_t>(*metadata);
    const std::uint32_t expectedSource = crcAt(patch, end);
    const std::uint32_t sourceCrc = crc32Of(source);
    if (*sourceSize != source.size() || sourceCrc != expectedSource) {
        return "it is for a file of " + std::to_string(*sourceSize) + " bytes with the CRC32 " +
               crc32Text(expectedSource) + ", and this one has " + std::to_string(source.size()) +
               " bytes with the CRC32 " + crc32Text(sourceCrc);
    }
    if (*targetSize > kMaxTarget) {
        return "it makes a file of " + std::to_string(*targetSize) + " bytes, larger than any ROM";
    }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(*targetSize));
    const std::size_t size = out.size();
    std::size_t written = 0;
    std::uint64_t sourceRelative = 0;
    std::uint64_t targetRelative = 0;
    const std::string damaged = "its action at byte ";
    while (p < end) {
        const std::size_t actionAt = p;
        const std::optional<std::uint64_t> data = readNumber(patch, p, end);
        const auto bad = [&](const std::string& why) { return damaged + std::to_string(actionAt) + " " + why; };
        if (!data) return bad("is cut short");
        const std::uint64_t length = (*data >> 2) + 1;
        if (length > size - written) return bad("writes past the end of the output");
        const auto n = static_cast<std::size_t>(length);
        switch (*data & 3) {
        case kSourceRead:
            if (written + n > source.size()) return bad("reads past the end of the source");
            std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(written), n,
                        out.begin() + static_cast<std::ptrdiff_t>(written));
            break;
        case kTargetRead:
            if (n > end - p) return bad("has fewer bytes than it writes");
            std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(p), n,
                        out.begin() + static_cast<std::ptrdiff_t>(written));
            p += n;
            break;
        default: {
            const bool fromSource = (*data & 3) == kSourceCopy;
            const std::optional<std::uint64_t> move = readNumber(patch, p, end);
            if (!move) return bad("is cut short");
            std::uint64_t& relative = fromSource ? sourceRelative : targetRelative;
            const std::uint64_t distance = *move >> 1;
            if ((*move & 1) != 0) {
                if (distance > relative) return bad("copies from before the start");
                relative -= distance;
            } else {
                relative += distance;
            }
            if (fromSource) {
                if (relative > source.size() || n > source.size() - relative) {
                    return bad("copies from past the end of the source");
                }
                std::copy_n(source.begin() + static_cast<std::ptrdiff_t>(relative), n,
                            out.begin() + static_cast<std::ptrdiff_t>(written));
            } else {
                // Byte by byte: a copy may take the bytes it has just written.
                if (relative >= written) return bad("copies output it has not written yet");
                for (std::size_t k = 0; k < n; ++k) out[written + k] = out[static_cast<std::size_t>(relative) + k];
            }
            relative += n;
            break;
        }
        }
        written += n;
    }
    if (written != size) {
        return "it writes " + std::to_string(written) + " bytes of the " + std::to_string(size) + " it promises";
    }
    const std::uint32_t targetCrc = crc32Of(out);
    if (targetCrc != crcAt(patch, end + 4)) {
        return "its result has the CRC32 " + crc32Text(targetCrc) + ", not the " + crc32Text(crcAt(patch, end + 4)) +
               " it expects";
    }
    return out;
}

}  // namespace kinfold
