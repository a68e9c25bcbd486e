#include "shell/ApplicationFont.h"
#include "shell/Clock.h"
#include "shell/EventPump.h"
#include "shell/FileChooser.h"
#include "shell/Form1.h"
#include "shell/MessageBoxes.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kinfold Search"));
    QApplication::setApplicationVersion(QStringLiteral("1.02"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kinfold/kinfold-search.png")));
    QApplication::setFont(kinfold::applicationFont());
    // The program ends only through the main window's closing question.
    QApplication::setQuitOnLastWindowClosed(false);

    kinfold::QtMessageBoxes messages;
    kinfold::QtFileChooser files;
    kinfold::QtEventPump events;
    kinfold::SystemClock clock;
    kinfold::Form1 window(kinfold::Platform{messages, files, events, clock});
    messages.setParentWidget(&window);
    files.setParentWidget(&window);
    window.showCentred();
    return QApplication::exec();
}
