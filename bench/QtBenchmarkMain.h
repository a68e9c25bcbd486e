#pragma once

#include "shell/platform/ApplicationFont.h"

#include <QApplication>
#include <QByteArray>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>

namespace kinfold::bench {

// Runs the benchmarks the command line names inside a headless application
// with the program's font. The headless platform warns on every raise(); the
// figures are what matters, so only errors are printed. beforeQuit runs
// while the application is still there, for windows the benchmarks kept.
inline void runQtBenchmarks(int argc, char** argv, const std::function<void()>& beforeQuit = {}) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    QApplication::setFont(applicationFont());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeQuit) beforeQuit();
}

}  // namespace kinfold::bench
