// The script window over a 64 MiB file of random bytes with a 200-entry table,
// headless: from showing the file to the list filled and drawn, the window's
// events handled all the while.
#include "DumpInput.h"
#include "QtBenchmarkMain.h"
#include "SilentPlatform.h"
#include "shell/main/ResultsView.h"
#include "shell/platform/ApplicationFont.h"
#include "shell/script/ScriptModel.h"
#include "shell/script/ScriptWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

using namespace kinfold;
using namespace kinfold::bench;

void BM_ScriptWindow(benchmark::State& state) {
    static const RandomFile file;
    if (!file.ok()) {
        state.SkipWithError("could not write the temporary file");
        return;
    }
    NoMessages messages;
    NoFiles files;
    const CodeTable table = benchTable();
    const QString path = QString::fromStdString(file.path().string());
    std::size_t strings = 0;
    for (auto _ : state) {
        // A window of its own each time, as the first "Script..." makes one.
        ScriptWindow window(messages, files);
        window.show();
        window.showFile(path, table);
        while (window.running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        window.Strings->repaint();
        strings = window.strings().found();
    }
    state.counters["strings"] = static_cast<double>(strings);
}
BENCHMARK(BM_ScriptWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    kinfold::bench::runQtBenchmarks(argc, argv);
    return 0;
}
