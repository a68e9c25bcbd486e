#include "shell/Application.h"
#include "shell/Clock.h"
#include "shell/CommandLine.h"
#include "shell/EventPump.h"
#include "shell/ExternalFile.h"
#include "shell/FileChooser.h"
#include "shell/Form1.h"
#include "shell/MessageBoxes.h"

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
