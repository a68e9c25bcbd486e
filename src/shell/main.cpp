#include "shell/Application.h"
#include "shell/Clock.h"
#include "shell/EventPump.h"
#include "shell/FileChooser.h"
#include "shell/Form1.h"
#include "shell/MessageBoxes.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kinfold::setUpApplication();

    kinfold::QtMessageBoxes messages;
    kinfold::QtFileChooser files;
    kinfold::QtEventPump events;
    kinfold::SystemClock clock;
    kinfold::Form1 window(kinfold::Platform{messages, files, events, clock});
    messages.setParentWidget(&window);
    files.setParentWidget(&window);
    window.show();
    return QApplication::exec();
}
