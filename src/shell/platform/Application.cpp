#include "shell/platform/Application.h"

#include "ProgramPictures.h"
#include "shell/platform/ApplicationFont.h"

#include <QApplication>
#include <QIcon>

namespace kinfold {

void setApplicationIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("Kinfold Search"));
    // The version record says 1.02; the windows say "Version 1.2".
    QCoreApplication::setApplicationVersion(QStringLiteral("1.02"));
}

void setUpApplication() {
    setApplicationIdentity();
    QApplication::setWindowIcon(QIcon(programIconPath()));
    QApplication::setFont(applicationFont());
    QApplication::setQuitOnLastWindowClosed(false);
}

}  // namespace kinfold
