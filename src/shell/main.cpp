#include "shell/main/CommandLine.h"
#include "shell/main/ExternalFile.h"
#include "shell/main/Form1.h"
#include "shell/platform/Application.h"
#include "shell/platform/Clock.h"
#include "shell/platform/EventPump.h"
#include "shell/platform/FileChooser.h"
#include "shell/platform/MessageBoxes.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>

namespace {

int answer(const kinfold::CommandLine& command) {
    std::fputs(command.output.toLocal8Bit().constData(), stdout);
    std::fputs(command.errors.toLocal8Bit().constData(), stderr);
    return *command.exitStatus;
}

}  // namespace

int main(int argc, char* argv[]) {
    kinfold::setApplicationIdentity();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (const auto early = kinfold::readCommandLineWithoutWindow(arguments)) {
        return answer(*early);
    }

    QApplication app(argc, argv);
    kinfold::setUpApplication();

    const kinfold::CommandLine command = kinfold::readCommandLine(QApplication::arguments());
    if (command.exitStatus) {
        return answer(command);
    }

    kinfold::QtMessageBoxes messages;
    kinfold::QtFileChooser files;
    kinfold::QtEventPump events;
    kinfold::SystemClock clock;
    kinfold::Form1 window(kinfold::Platform{messages, files, events, clock});
    messages.setParentWidget(&window);
    files.setParentWidget(&window);
    window.show();
    // Opened once the window shows, so any message about the file sits over it.
    if (!command.file.isEmpty()) {
        kinfold::openExternalFile(window, command.file);
    }
    return QApplication::exec();
}
