// The whole `kinfold scan` over a folder of 2,000 files, against plain reading
// of the same files, with one thread and with the machine's cores:
// ./kinfold-tree-bench
#include "cli/FileWalk.h"
#include "cli/PatternArguments.h"
#include "cli/Progress.h"
#include "cli/ScanPool.h"
#include "search/FileReader.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace kinfold;
namespace fs = std::filesystem;

constexpr int kFiles = 2000;
constexpr std::uint64_t kSmallest = 4096;
constexpr std::uint64_t kLargest = std::uint64_t{8} << 20;
constexpr std::uint64_t kLeastTotal = std::uint64_t{1} << 30;
constexpr std::size_t kBlock = std::size_t{1} << 20;  // the scanner's own block size

// Between 4 KiB and 8 MiB, most files small as in a ROM collection; the
// largest ones are made 8 MiB until the folder holds 1 GiB.
std::vector<std::uint64_t> fileSizes() {
    std::mt19937_64 random(20261207);
    std::vector<std::uint64_t> sizes;
    std::uint64_t total = 0;
    for (int i = 0; i < kFiles; ++i) {
        const double u = static_cast<double>(random() >> 11) * 0x1.0p-53;
        const double scale = std::exp2(11.0 * u * u);  // 1 .. 2048
        const auto size = std::min(kLargest, static_cast<std::uint64_t>(static_cast<double>(kSmallest) * scale));
        sizes.push_back(size);
        total += size;
    }
    for (std::size_t i = 0; total < kLeastTotal; ++i) {
        total += kLargest - sizes[i];
        sizes[i] = kLargest;
    }
    return sizes;
}

// The folder, made once and kept: KINFOLD_BENCH_TREE or a folder in the
// system's temporary folder. Random bytes with "Hello" planted now and then,
// spread over nested folders.
const fs::path& tree() {
    static const fs::path root = [] {
        const char* chosen = std::getenv("KINFOLD_BENCH_TREE");
        const fs::path path =
            chosen != nullptr && *chosen != '\0' ? fs::path(chosen) : fs::temp_directory_path() / "kinfold-bench-tree";
        const std::vector<std::uint64_t> sizes = fileSizes();
        std::ostringstream stamp;
        for (const std::uint64_t size : sizes) stamp << size << '\n';
        const fs::path stampFile = path / "sizes.txt";
        std::ifstream existing(stampFile);
        std::stringstream have;
        have << existing.rdbuf();
        if (have.str() == stamp.str()) {
            return path;
        }
        std::cerr << "Writing the benchmark folder " << path << " once...\n";
        fs::remove_all(path);
        std::mt19937_64 random(7);
        std::vector<char> bytes;
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            bytes.resize(static_cast<std::size_t>(sizes[i]));
            for (std::size_t k = 0; k + 8 <= bytes.size(); k += 8) {
                const std::uint64_t word = random();
                for (int b = 0; b < 8; ++b) bytes[k + static_cast<std::size_t>(b)] = static_cast<char>(word >> (8 * b));
            }
            for (std::size_t at = 1000; at + 5 < bytes.size(); at += 100000) {
                std::copy_n("Hello", 5, bytes.begin() + static_cast<std::ptrdiff_t>(at));
            }
            const fs::path folder = path / ("set" + std::to_string(i % 8)) / ("part" + std::to_string(i % 5));
            fs::create_directories(folder);
            std::ofstream(folder / ("rom" + std::to_string(i) + ".bin"), std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        std::ofstream(stampFile) << stamp.str();
        return path;
    }();
    return root;
}

// CPU time of every thread of the process so far, in seconds.
double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The CPU time all threads took per iteration since `start`, which tells how
// much work a run costs apart from how well it spreads over the cores.
void reportCpu(benchmark::State& state, double start) {
    state.counters["cpu_ms"] = (processCpuSeconds() - start) * 1e3 /
                               static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
}

std::uint64_t treeBytes() {
    std::uint64_t total = 0;
    for (const std::uint64_t size : fileSizes()) total += size;
    return total;
}

// Reads every file once with the given threads; the sum of some bytes, so
// the reading can't be left out.
std::uint64_t readAll(const std::vector<cli::FoundFile>& files, unsigned threads) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> sum{0};
    auto work = [&] {
        std::vector<std::uint8_t> block(kBlock);
        FileReader reader;
        std::uint64_t local = 0;
        for (std::size_t i = next++; i < files.size(); i = next++) {
            if (!reader.open(files[i].path)) continue;
            while (const auto got = reader.read(block)) {
                if (*got == 0) break;
                local += block[*got - 1];
            }
            reader.close();
        }
        sum += local;
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    return sum.load();
}

// Plain reading of every file in blocks, files shared among the threads: the yardstick.
void readTree(benchmark::State& state, unsigned threads) {
    const std::vector<cli::FoundFile> files = cli::findFiles({tree()}, {});
    const double cpu = processCpuSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readAll(files, threads));
    }
    reportCpu(state, cpu);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * treeBytes()));
}

// What `kinfold scan --string Hello -q FOLDER` does, the walk included (with
// no progress shown it measures no sizes), with
// the hits formatted and then dropped instead of printed.
void scanTree(benchmark::State& state, unsigned threads) {
    tree();
    cli::ScanSettings settings;
    settings.threads = threads;
    settings.print.pattern = std::get<SearchPattern>(cli::patternFromString("Hello"));
    std::ostringstream messages;
    std::uint64_t printed = 0;
    const double cpu = processCpuSeconds();
    for (auto _ : state) {
        const std::vector<cli::FoundFile> files = cli::findFiles({tree()}, {}, false);
        cli::Progress progress(messages, false, files.size(), 0);
        const cli::ScanOutcome outcome = cli::scanFiles(
            files, settings, [&printed](std::string_view text) { printed += text.size(); }, progress);
        benchmark::DoNotOptimize(outcome);
    }
    reportCpu(state, cpu);
    if (!messages.str().empty()) state.SkipWithError(messages.str().c_str());
    state.counters["output"] = static_cast<double>(printed) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * treeBytes()));
}

// Finding the files alone, which the scan does before it starts.
void walkTree(benchmark::State& state) {
    tree();
    for (auto _ : state) {
        benchmark::DoNotOptimize(cli::findFiles({tree()}, {}, false));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    // Every benchmark reads from a warm page cache, the first one too.
    readAll(cli::findFiles({tree()}, {}), cores);
    using Run = void (*)(benchmark::State&, unsigned);
    const std::pair<std::string, Run> runs[] = {{"BM_ReadTree", readTree}, {"BM_ScanTree", scanTree}};
    for (const auto& [name, fn] : runs) {
        auto* one = benchmark::RegisterBenchmark((name + "/j1").c_str(), fn, 1u);
        auto* all = benchmark::RegisterBenchmark((name + "/jN").c_str(), fn, cores);
        for (auto* b : {one, all}) b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
    }
    benchmark::RegisterBenchmark("BM_WalkTree", walkTree)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
