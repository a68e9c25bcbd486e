// Opening the result preview on a hit near the end of a 4 GiB file, headless:
// from the list's activation of the line to the preview window drawn.
#include "QtBenchmarkMain.h"
#include "SilentPlatform.h"
#include "shell/main/Form1.h"
#include "shell/main/ResultsView.h"
#include "shell/platform/ApplicationFont.h"
#include "shell/platform/Clock.h"
#include "shell/platform/EventPump.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"
#include "shell/preview/ResultPreview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace kinfold;

constexpr qint64 kFileSize = 4LL << 30;
constexpr qint64 kHit = kFileSize - 1000;

// A sparse file of 4 GiB, all zeros but "Hello" a little before its end.
QString sparseFile() {
    const QString path = QDir::temp().filePath(QStringLiteral("kinfold-bench-preview-4g.bin"));
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(kFileSize) || !file.seek(kHit) ||
        file.write("Hello", 5) != 5) {
        std::fprintf(stderr, "can't make %s\n", qPrintable(path));
        return QString();
    }
    return path;
}

// The window, searched once for "Hello" in the 4 GiB file: one result line.
struct Searched {
    NoMessages messages;
    NoFiles files;
    QtEventPump events;
    SystemClock clock;
    Form1 form{Platform{messages, files, events, clock}};

    Searched() {
        for (int v : {72, 101, 108, 108, 111}) form.pattern().appendValue(static_cast<std::int16_t>(v));
        form.show();
        form.RomFile->setText(sparseFile());
        form.Search->click();
        if (form.resultsModel().count() != 1) std::fprintf(stderr, "expected one result\n");
    }
    void open() {
        emit form.Results->activated(form.Results->model()->index(0, 0));
        form.resultPreview()->repaint();
    }
};

std::unique_ptr<Searched> searched;

void BM_PreviewOpen_first(benchmark::State& state) {
    searched = std::make_unique<Searched>();
    for (auto _ : state) searched->open();
}

void BM_PreviewOpen_again(benchmark::State& state) {
    for (auto _ : state) searched->open();
    state.counters["offset"] = static_cast<double>(kHit);
}

}  // namespace

// The first opening builds the window; later ones only refill it.
BENCHMARK(BM_PreviewOpen_first)
    ->Name("BM_PreviewOpen/first")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_PreviewOpen_again)->Name("BM_PreviewOpen/again")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    kinfold::bench::runQtBenchmarks(argc, argv, [] { searched.reset(); });
    QFile::remove(QDir::temp().filePath(QStringLiteral("kinfold-bench-preview-4g.bin")));
    return 0;
}
