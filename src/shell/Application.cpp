#include "shell/Application.h"

#include "ProgramPictures.h"
#include "shell/ApplicationFont.h"

#include <QApplication>
#include <QIcon>

namespace kinfold {

void setUpApplication() {
    QApplication::setApplicationName(QStringLiteral("Kinfold Search"));
    // The version record says 1.02; the windows say "Version 1.2".
    QApplication::setApplicationVersion(QStringLiteral("1.02"));
    QApplication::setWindowIcon(QIcon(programIconPath()));
    QApplication::setFont(applicationFont());
    QApplication::setQuitOnLastWindowClosed(false);
}

}  // namespace kinfold
