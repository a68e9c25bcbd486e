#pragma once

// The platform pieces the window benchmarks give the main window: no file
// dialog is ever answered, and a message box, which a benchmark never
// expects, is printed so a run that goes wrong says so.
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"

#include <cstdio>

namespace kinfold {

class NoMessages : public MessageBoxes {
public:
    int show(const QString& text, int) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        return kAnswerOk;
    }
};

class NoFiles : public FileChooser {
public:
    QString choose(Use, std::string_view) override { return QString(); }
};

}  // namespace kinfold
