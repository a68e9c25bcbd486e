// Speed of the match, the file scan and the pointer search, against memchr and plain reading.
#include "pattern/SearchPattern.h"
#include "pointers/PointerFileScan.h"
#include "pointers/PointerMapping.h"
#include "pointers/PointerSearch.h"
#include "search/CompiledPattern.h"
#include "search/FileReader.h"
#include "search/FileScanner.h"
#include "search/Matcher.h"

#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace {

using namespace kinfold;

constexpr std::size_t kBufferSize = std::size_t{64} << 20;
constexpr std::size_t kFileCopies = 4;  // the file is 256 MiB
constexpr std::uint8_t kAbsent = 0xFF;  // never in the buffer, for memchr to miss

struct NamedPattern {
    const char* name;
    std::vector<int> values;  // -1 is a skipped entry
};

const std::vector<NamedPattern>& patterns() {
    static const std::vector<NamedPattern> list = {
        {"hello", {72, 101, 108, 108, 111}},
        {"dragons", {68, 114, 97, 103, 111, 110, 115}},
        {"steps3", {1, 2, 3}},
        {"skips", {10, -1, 14, -1, 20}},
    };
    return list;
}

SearchPattern typed(const std::vector<int>& values) {
    SearchPattern p;
    for (int v : values) {
        if (v < 0) {
            p.appendSkipped();
        } else {
            p.appendValue(static_cast<std::int16_t>(v));
        }
    }
    return p;
}

// Seeded random bytes without 0xFF, with every pattern's values planted every
// 64 KiB, shifted so that the runs match at several different first bytes.
const std::vector<std::uint8_t>& buffer() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> out(kBufferSize);
        std::mt19937_64 random(20240611);
        for (std::size_t i = 0; i < out.size(); i += 8) {
            std::uint64_t word = random();
            for (std::size_t k = 0; k < 8; ++k) {
                const auto b = static_cast<std::uint8_t>(word >> (8 * k));
                out[i + k] = b == kAbsent ? 0 : b;
            }
        }
        // Each run moves by a random amount that keeps all its values below 0xFF.
        std::size_t at = 1000;
        while (at + 64 < out.size()) {
            for (const NamedPattern& p : patterns()) {
                int low = 255;
                int high = 0;
                for (int v : p.values) {
                    if (v >= 0) {
                        low = std::min(low, v);
                        high = std::max(high, v);
                    }
                }
                const int shift = static_cast<int>(random() % static_cast<std::uint64_t>(254 - high + low + 1)) - low;
                for (int v : p.values) {
                    out[at++] =
                        static_cast<std::uint8_t>(v < 0 ? random() % 255 : static_cast<std::uint64_t>(v + shift));
                }
                at += 7;
            }
            at += std::size_t{64} << 10;
        }
        return out;
    }();
    return bytes;
}

// The buffer with every pattern's values also planted as little-endian
// values of `width` bits every 64 KiB, moved by random amounts, at offsets of
// every parity, so the wide match has survivors to verify and hits to find.
const std::vector<std::uint8_t>& wideBuffer(int width) {
    static std::vector<std::uint8_t> buffers[5];
    std::vector<std::uint8_t>& out = buffers[width / 8];
    if (out.empty()) {
        out = buffer();
        const int unit = width / 8;
        const std::uint64_t top = (std::uint64_t{1} << width) - 1;
        std::mt19937_64 random(20261207 + static_cast<std::uint64_t>(width));
        std::size_t at = 3000;
        while (at + 64 * static_cast<std::size_t>(unit) < out.size()) {
            for (const NamedPattern& p : patterns()) {
                const std::uint64_t shift = random() % (top - 255);
                for (int v : p.values) {
                    const std::uint64_t value = v < 0 ? random() & top : static_cast<std::uint64_t>(v) + shift;
                    for (int k = 0; k < unit; ++k) {
                        out[at++] = static_cast<std::uint8_t>(value >> (8 * k));
                    }
                }
                at += 5;
            }
            at += (std::size_t{64} << 10) + random() % static_cast<std::uint64_t>(unit);
        }
    }
    return out;
}

// A file of `copies` copies of bytes, written once and removed when the program ends.
class TempFile {
public:
    TempFile(const std::string& name, const std::vector<std::uint8_t>& bytes, std::size_t copies) {
        const char* root = std::getenv("KINFOLD_BENCH_TMP");
        const std::filesystem::path base =
            root != nullptr && *root != '\0' ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
        path_ = base / ("kinfold-bench-" + name + "-" + std::to_string(::getpid()) + ".bin");
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        for (std::size_t i = 0; i < copies; ++i) {
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        out.close();
        ok_ = out.good();
    }
    ~TempFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    bool ok() const { return ok_; }

private:
    std::filesystem::path path_;
    bool ok_ = false;
};

// The 256 MiB file.
const TempFile& tempFile() {
    static const TempFile file("scan", buffer(), kFileCopies);
    return file;
}

void BM_Memchr(benchmark::State& state) {
    const auto& bytes = buffer();
    for (auto _ : state) {
        const void* hit = std::memchr(bytes.data(), kAbsent, bytes.size());
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

// The match of a compiled pattern over bytes in memory, again and again.
void matchInMemory(benchmark::State& state, const CompiledPattern& compiled, std::span<const std::uint8_t> bytes,
                   Isa isa) {
    std::vector<std::uint64_t> matches;
    matches.reserve(1 << 16);
    for (auto _ : state) {
        matches.clear();
        findMatches(compiled, bytes, 0, matches, isa);
        benchmark::DoNotOptimize(matches.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
    state.counters["matches"] = static_cast<double>(matches.size());
}

void scanBuffer(benchmark::State& state, const NamedPattern& p, Isa isa) {
    matchInMemory(state, CompiledPattern::fromPattern(typed(p.values)), buffer(), isa);
}

void scanWide(benchmark::State& state, const NamedPattern& p, const MatchOptions& options) {
    matchInMemory(state, CompiledPattern::fromPattern(typed(p.values), options), wideBuffer(options.width), bestIsa());
}

// The match over the first bytes of the buffer only, which stay in the cache.
void scanHot(benchmark::State& state, const NamedPattern& p, std::size_t size) {
    matchInMemory(state, CompiledPattern::fromPattern(typed(p.values)),
                  std::span<const std::uint8_t>(buffer().data(), size), bestIsa());
}

// The file benchmarks also give their speed in wall-clock time: the scanner
// reads on a second thread, whose work the calling thread's CPU time (which
// bytes_per_second divides by) leaves out.
void setWallRate(benchmark::State& state, std::uint64_t bytes, std::chrono::steady_clock::time_point start) {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed.count() > 0) {
        state.counters["wall_GB/s"] = static_cast<double>(bytes) / elapsed.count() / 1e9;
    }
}

void readFile(benchmark::State& state, std::size_t blockSize) {
    const TempFile& file = tempFile();
    if (!file.ok()) {
        state.SkipWithError("could not write the temporary file");
        return;
    }
    // The scanner's own reader, block size and buffer, without the match.
    std::vector<std::uint8_t> block(blockSize);
    std::uint64_t total = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        FileReader reader;
        if (!reader.open(file.path())) {
            state.SkipWithError(reader.reason().c_str());
            return;
        }
        for (;;) {
            const auto got = reader.read(block);
            if (!got) {
                state.SkipWithError(reader.reason().c_str());
                return;
            }
            if (*got == 0) {
                break;
            }
            benchmark::DoNotOptimize(block.data());
        }
        total += reader.size();
    }
    setWallRate(state, total, start);
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
}

void scanFile(benchmark::State& state, const NamedPattern& p, std::size_t blockSize) {
    const TempFile& file = tempFile();
    if (!file.ok()) {
        state.SkipWithError("could not write the temporary file");
        return;
    }
    FileScanner scanner(CompiledPattern::fromPattern(typed(p.values)), blockSize);
    std::vector<std::uint64_t> matches;
    matches.reserve(1 << 16);
    std::uint64_t total = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!scanner.open(file.path())) {
            state.SkipWithError(scanner.error()->message().c_str());
            return;
        }
        matches.clear();
        // Slices as the window takes them, between its event handling.
        while (!scanner.finished()) {
            scanner.scanUntil((scanner.position() / 32768 + 1) * 32768, matches);
        }
        if (scanner.error()) {
            state.SkipWithError(scanner.error()->message().c_str());
            return;
        }
        total += scanner.fileSize();
    }
    setWallRate(state, total, start);
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    state.counters["matches"] = static_cast<double>(matches.size());
}

// The pointers' targets: spread over the buffer, the same for every run, in
// increasing order as `kinfold pointers` hands them to each file's search.
std::vector<std::uint64_t> pointerTargets(std::size_t count) {
    std::mt19937_64 random(20261208);
    std::vector<std::uint64_t> targets(count);
    for (std::uint64_t& t : targets) t = random() % kBufferSize;
    std::sort(targets.begin(), targets.end());
    return targets;
}

// The buffer with 4,096 GBA pointers to the first 1,000 targets planted in it,
// so that every run finds some.
const std::vector<std::uint8_t>& pointerBuffer() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> out = buffer();
        const std::vector<std::uint64_t> targets = pointerTargets(1000);
        std::mt19937_64 random(20261209);
        for (int i = 0; i < 4096; ++i) {
            const auto value = static_cast<std::uint32_t>(0x08000000 + targets[random() % targets.size()]);
            const std::size_t at = random() % (out.size() - 4);
            for (std::size_t k = 0; k < 4; ++k) out[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
        }
        return out;
    }();
    return bytes;
}

// The 64 MiB file searched for pointers.
const TempFile& pointerFile() {
    static const TempFile file("pointers", pointerBuffer(), 1);
    return file;
}

// The whole search of the 64 MiB GBA ROM for pointers to `count` targets, as
// `kinfold pointers` does it for one file: open, the mapping from its first
// bytes, the values of the targets, then one pass over the file.
void findPointers(benchmark::State& state, std::size_t count) {
    const TempFile& file = pointerFile();
    if (!file.ok()) {
        state.SkipWithError("could not write the temporary file");
        return;
    }
    const std::vector<std::uint64_t> targets = pointerTargets(count);
    std::uint64_t total = 0;
    std::uint64_t found = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        FileReader reader;
        if (!reader.open(file.path())) {
            state.SkipWithError(reader.reason().c_str());
            return;
        }
        std::uint8_t first[16] = {};
        reader.readAt(0, first);
        const PointerSearch search(PointerMapping({MappingKind::Gba}, reader.size(), first), targets);
        found = 0;
        const PointerScanEnd end = scanForPointers(reader, file.path().string(), search,
                                                   [&found](std::span<const PointerHit> hits, std::uint64_t) {
                                                       found += hits.size();
                                                       return true;
                                                   });
        if (end.error) {
            state.SkipWithError(end.error->message().c_str());
            return;
        }
        total += reader.size();
    }
    setWallRate(state, total, start);
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    state.counters["pointers"] = static_cast<double>(found);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("BM_Memchr", BM_Memchr);
    for (const NamedPattern& p : patterns()) {
        benchmark::RegisterBenchmark((std::string("BM_Scan/") + p.name).c_str(),
                                     [&p](benchmark::State& state) { scanBuffer(state, p, bestIsa()); });
    }
    // Wider values: every pattern at each width, and a few other options at
    // 16 bits (the runs are planted little-endian, so Big finds next to nothing).
    for (int width : {16, 24, 32}) {
        for (const NamedPattern& p : patterns()) {
            MatchOptions options;
            options.width = width;
            benchmark::RegisterBenchmark(("BM_Scan" + std::to_string(width) + "/" + p.name).c_str(),
                                         [&p, options](benchmark::State& state) { scanWide(state, p, options); });
        }
    }
    for (const char* variant : {"Big", "Aligned", "ExactRepeats"}) {
        MatchOptions options;
        options.width = 16;
        options.byteOrder = std::string(variant) == "Big" ? ByteOrder::Big : ByteOrder::Little;
        options.aligned = std::string(variant) == "Aligned";
        options.exactRepeats = std::string(variant) == "ExactRepeats";
        benchmark::RegisterBenchmark((std::string("BM_Scan16") + variant + "/hello").c_str(),
                                     [options](benchmark::State& state) { scanWide(state, patterns()[0], options); });
    }
    // Each instruction set on its own, to see what the run-time choice buys.
    for (const NamedPattern& p : patterns()) {
        for (Isa isa : availableIsas()) {
            benchmark::RegisterBenchmark((std::string("BM_ScanIsa/") + p.name + "/" + isaName(isa)).c_str(),
                                         [&p, isa](benchmark::State& state) { scanBuffer(state, p, isa); });
        }
    }
    for (std::size_t kib : {16, 1024}) {
        benchmark::RegisterBenchmark(("BM_ScanHot/hello/" + std::to_string(kib) + "KiB").c_str(),
                                     [kib](benchmark::State& state) { scanHot(state, patterns()[0], kib << 10); });
    }
    benchmark::RegisterBenchmark("BM_ReadFile",
                                 [](benchmark::State& state) { readFile(state, FileScanner::kDefaultBlockSize); });
    benchmark::RegisterBenchmark("BM_ScanFile/hello", [](benchmark::State& state) {
        scanFile(state, patterns()[0], FileScanner::kDefaultBlockSize);
    });
    for (std::size_t count : {1, 1000, 100000}) {
        benchmark::RegisterBenchmark(("BM_Pointers/gba/" + std::to_string(count)).c_str(),
                                     [count](benchmark::State& state) { findPointers(state, count); });
    }
    // Other block sizes, to see where the default should sit.
    for (std::size_t kib : {64, 256, 4096}) {
        const std::size_t block = kib << 10;
        benchmark::RegisterBenchmark(("BM_ReadFileBlock/" + std::to_string(kib) + "KiB").c_str(),
                                     [block](benchmark::State& state) { readFile(state, block); });
        benchmark::RegisterBenchmark(("BM_ScanFileBlock/hello/" + std::to_string(kib) + "KiB").c_str(),
                                     [block](benchmark::State& state) { scanFile(state, patterns()[0], block); });
    }
    return true;
}();

}  // namespace
