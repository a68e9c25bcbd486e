// `kinfold insert` end to end on a 32 MiB GBA ROM: 100,000 strings through a
// 200-entry table with DTE entries, every one edited (half a few bytes
// shorter, in place; half longer, moving through the pointer table to free
// space), BPS and IPS patches written. Compare with BM_ReadFile, which reads
// the same 32 MiB. The strings and the free space lie below 16 MiB, as far
// as an IPS patch reaches; the rest of the ROM is data the script leaves alone.
//   ./kinfold-insert-bench --benchmark_min_time=2
#include "cli/Kinfold.h"
#include "search/FileReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRomBytes = std::size_t{32} << 20;
constexpr std::size_t kStrings = 100000;
constexpr std::size_t kPointers = 0x100;
constexpr std::size_t kTextStart = 0x80000;
constexpr std::size_t kFreeStart = 0x800000;
constexpr std::size_t kFreeEnd = 0x1000000;

int run(const std::vector<std::string>& words, std::string& out, std::string& err) {
    std::vector<const char*> argv = {"kinfold"};
    for (const std::string& w : words) argv.push_back(w.c_str());
    std::ostringstream o;
    std::ostringstream e;
    const int status = kinfold::cli::runKinfold(static_cast<int>(argv.size()), argv.data(), o, e, false);
    out = o.str();
    err = e.str();
    return status;
}

// The ROM, its table and its edited script, made once in a folder of their own.
class InsertInput {
public:
    InsertInput() : folder_(fs::temp_directory_path() / "kinfold-insert-bench") {
        fs::create_directories(folder_);
        // The table: 95 printable characters at their ASCII codes, 100 DTE pairs at 0x80 up,
        // an end token, a line break, a control with one parameter.
        std::string table = "/00\n*01\n$02=[wait],1\n";
        std::vector<std::string> pairs;
        const std::string common = "etaoinsrhldcu";
        for (const char a : common) {
            for (const char b : common) {
                if (pairs.size() < 100) pairs.push_back(std::string{a, b});
            }
        }
        for (int c = 0x20; c < 0x7F; ++c) {
            char line[16];
            std::snprintf(line, sizeof line, "%02X=%c\n", c, c);
            table += line;
        }
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            char line[16];
            std::snprintf(line, sizeof line, "%02X=", static_cast<unsigned>(0x80 + k));
            table += line + pairs[k] + "\n";
        }
        std::ofstream(table_path()) << table;

        std::mt19937 random(32);
        std::string rom(kRomBytes, '\0');
        for (std::size_t k = kFreeEnd; k < rom.size(); ++k) rom[k] = static_cast<char>(random());
        std::fill(rom.begin() + kFreeStart, rom.begin() + kFreeEnd, '\xFF');
        std::size_t at = kTextStart;
        for (std::size_t s = 0; s < kStrings; ++s) {
            const std::uint32_t value = 0x08000000u + static_cast<std::uint32_t>(at);
            for (int b = 0; b < 4; ++b)
                rom[kPointers + 4 * s + static_cast<std::size_t>(b)] = static_cast<char>(value >> (8 * b));
            for (std::size_t n = 20 + random() % 40; n > 0; --n) {
                const unsigned r = random() % 100;
                rom[at++] = static_cast<char>(r < 60   ? 'a' + random() % 26
                                              : r < 70 ? ' '
                                              : r < 98 ? 0x80 + random() % 100
                                                       : 0x01);
            }
            rom[at++] = 0;
        }
        std::ofstream(rom_path(), std::ios::binary).write(rom.data(), static_cast<std::streamsize>(rom.size()));

        // The script as the dump prints it through the pointer table, each text edited.
        std::string out;
        std::string err;
        run({"dump", "--tbl", table_path(), "--pointer-table",
             std::to_string(kPointers) + "," + std::to_string(kStrings), rom_path()},
            out, err);
        std::istringstream lines(out);
        std::string edited;
        std::size_t k = 0;
        for (std::string line; std::getline(lines, line); ++k) {
            if (k % 2 == 0) {
                line.resize(line.size() - 3);
                if (line.back() == '\\') line.pop_back();
            } else {
                line += " and then some";
            }
            edited += line;
            edited += '\n';
        }
        lines_ = k;
        std::ofstream(script_path()) << edited;
    }
    ~InsertInput() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    std::string path(const char* name) const { return (folder_ / name).string(); }
    std::string table_path() const { return path("game.tbl"); }
    std::string rom_path() const { return path("game.gba"); }
    std::string script_path() const { return path("script.txt"); }
    std::size_t lines() const { return lines_; }

private:
    fs::path folder_;
    std::size_t lines_ = 0;
};

const InsertInput& input() {
    static const InsertInput made;
    return made;
}

void BM_Insert(benchmark::State& state) {
    const InsertInput& in = input();
    if (in.lines() != kStrings) {
        state.SkipWithError("the script was not dumped whole");
        return;
    }
    const std::vector<std::string> words = {"insert",
                                            "--tbl",
                                            in.table_path(),
                                            "--script",
                                            in.script_path(),
                                            "--free",
                                            std::to_string(kFreeStart) + "-" + std::to_string(kFreeEnd),
                                            "--ips",
                                            in.path("out.ips"),
                                            "--bps",
                                            in.path("out.bps"),
                                            in.rom_path()};
    std::string out;
    std::string err;
    for (auto _ : state) {
        if (run(words, out, err) != 0) {
            state.SkipWithError(err.c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kRomBytes));
    state.SetLabel(err.substr(0, err.find(';')));
}
BENCHMARK(BM_Insert)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadFile(benchmark::State& state) {
    const InsertInput& in = input();
    std::vector<std::uint8_t> bytes(kRomBytes);
    for (auto _ : state) {
        kinfold::FileReader reader;
        if (!reader.open(in.rom_path()) || reader.readAt(0, bytes).got != bytes.size()) {
            state.SkipWithError("could not read the ROM");
            return;
        }
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kRomBytes));
}
BENCHMARK(BM_ReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
