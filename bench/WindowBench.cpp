// A whole search run through the main window, headless: the window's own loop
// (slices, progress text, event handling, the results list) over the engine.
#include "QtBenchmarkMain.h"
#include "SilentPlatform.h"
#include "search/CompiledPattern.h"
#include "search/FileScanner.h"
#include "shell/main/Form1.h"
#include "shell/platform/ApplicationFont.h"
#include "shell/platform/Clock.h"
#include "shell/platform/EventPump.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include "shell/main/ResultsView.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace kinfold;

QString benchFile(const char* name, qint64 size, bool random) {
    const QString path = QDir::temp().filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.exists() && file.size() == size) return path;
    if (!file.open(QIODevice::WriteOnly)) return QString();
    std::mt19937_64 rng(42);
    std::vector<char> block(1 << 20);
    for (qint64 done = 0; done < size; done += static_cast<qint64>(block.size())) {
        if (random) {
            for (auto& c : block) c = static_cast<char>(rng());
        }
        file.write(block.data(), static_cast<qint64>(std::min<qint64>(static_cast<qint64>(block.size()), size - done)));
    }
    return path;
}

std::int64_t peakMemoryBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
}

// Resident memory now, from /proc (getrusage gives only the peak).
std::int64_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::int64_t pages = 0;
    std::int64_t resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::int64_t>(sysconf(_SC_PAGESIZE));
}

struct Window {
    NoMessages messages;
    NoFiles files;
    QtEventPump events;
    SystemClock clock;
    Form1 form{Platform{messages, files, events, clock}};
};

void BM_WindowSearch_hello(benchmark::State& state) {
    const QString path = benchFile("kinfold-bench-256.bin", 256LL << 20, true);
    Window w;
    for (int v : {72, 101, 108, 108, 111}) w.form.pattern().appendValue(static_cast<std::int16_t>(v));
    w.form.RomFile->setText(path);
    for (auto _ : state) {
        w.form.Search->click();
    }
    state.SetBytesProcessed(state.iterations() * (256LL << 20));
    state.counters["results"] = static_cast<double>(w.form.resultsModel().count());
}

void BM_EngineScan_hello(benchmark::State& state) {
    const QString path = benchFile("kinfold-bench-256.bin", 256LL << 20, true);
    SearchPattern pattern;
    for (int v : {72, 101, 108, 108, 111}) pattern.appendValue(static_cast<std::int16_t>(v));
    const CompiledPattern compiled = CompiledPattern::fromPattern(pattern);
    std::vector<std::uint64_t> found;
    for (auto _ : state) {
        FileScanner scanner(compiled);
        scanner.open(QFile::encodeName(path).toStdString());
        found.clear();
        while (!scanner.finished()) scanner.scanUntil(scanner.position() + (1 << 15), found);
        benchmark::DoNotOptimize(found.data());
    }
    state.SetBytesProcessed(state.iterations() * (256LL << 20));
}

// A pattern that every offset of the 16 MiB file matches, ready to search.
void searchEveryOffset(Window& w) {
    w.form.pattern().appendValue(1);
    w.form.pattern().appendSkipped();
    w.form.RomFile->setText(benchFile("kinfold-bench-16.bin", 16LL << 20, false));
    w.form.show();
}

// Every offset of a 16 MiB file is a match: 16 million lines in the list.
void BM_WindowSearch_everyOffset(benchmark::State& state) {
    Window w;
    searchEveryOffset(w);
    for (auto _ : state) {
        w.form.Search->click();
        // Scroll the list to its end and draw it.
        w.form.Results->scrollToBottom();
        benchmark::DoNotOptimize(w.form.Results->grab());
    }
    state.counters["results"] = static_cast<double>(w.form.resultsModel().count());
    state.counters["peak_MB"] = static_cast<double>(peakMemoryBytes()) / 1e6;
}

// What a screen reader asks of a 16-million-line list: its count and a line's
// name. Each iteration reads a line not read before, so an item is made (and
// an old one let go) every time.
void BM_AccessibleList_everyOffset(benchmark::State& state) {
    Window w;
    searchEveryOffset(w);
    w.form.Search->click();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w.form.Results);
    int back = 0;
    for (auto _ : state) {
        const int count = list->childCount();
        benchmark::DoNotOptimize(list->child(count - 1 - back)->text(QAccessible::Name));
        back = (back + 1) % (1 << 20);
    }
    // Reading a million more lines must leave the memory where it was.
    const int count = list->childCount();
    const std::int64_t before = residentBytes();
    for (int k = 0; k < 1000000; ++k) {
        benchmark::DoNotOptimize(list->child(count - 1 - k)->text(QAccessible::Name));
    }
    const std::int64_t after = residentBytes();
    state.counters["lines"] = count;
    state.counters["rss_growth_per_line_B"] = static_cast<double>(after - before) / 1e6;
}

}  // namespace

BENCHMARK(BM_AccessibleList_everyOffset)->Name("BM_AccessibleList/every_offset")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineScan_hello)->Name("BM_EngineScanFile/hello")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowSearch_hello)->Name("BM_WindowSearch/hello")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowSearch_everyOffset)
    ->Name("BM_WindowSearch/every_offset")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

int main(int argc, char** argv) {
    kinfold::bench::runQtBenchmarks(argc, argv);
    return 0;
}
