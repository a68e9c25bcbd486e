// The dump of every string of a 64 MiB file of random bytes through a
// 200-entry table with multi-byte entries; compare with BM_ReadFile.
// Arguments: the minimum length (1000 keeps nothing: the finding alone), and
// the workers sharing the file's pieces.
#include "DumpInput.h"
#include "script/ScriptDump.h"
#include "table/CodeTable.h"
#include "table/TableDecoder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace {

using namespace kinfold;
using namespace kinfold::bench;

void BM_Dump(benchmark::State& state) {
    static const RandomFile file;
    if (!file.ok()) {
        state.SkipWithError("could not write the temporary file");
        return;
    }
    const TableDecoder table(benchTable());
    DumpWork work;
    work.workers = static_cast<unsigned>(state.range(1));
    std::uint64_t total = 0;
    std::uint64_t strings = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        strings = 0;
        const DumpOutcome outcome = dumpFile(
            file.path(), table, DumpSettings{0, {}, static_cast<std::uint64_t>(state.range(0))},
            [&](const ScriptStrings& found) {
                benchmark::DoNotOptimize(found.texts().data());
                strings += found.size();
            },
            {}, work);
        if (!outcome.problem.empty()) {
            state.SkipWithError(outcome.problem.c_str());
            return;
        }
        total += kDumpFileBytes;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed.count() > 0) state.counters["wall_GB/s"] = static_cast<double>(total) / elapsed.count() / 1e9;
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    state.counters["strings"] = static_cast<double>(strings);
}
BENCHMARK(BM_Dump)
    ->ArgNames({"min", "workers"})
    ->ArgsProduct({{4, 1000}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
