#include "shell/main/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QtGlobal>

namespace kinfold {

CommandLine readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Find text and tables in ROM images by relative search."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A ROM file to search, or a values file (.ksv) to load."),
                                 QStringLiteral("[FILE]"));

    // parse(), not process(): process() ends the program with status 1 on an
    // error, and the help and version go through our own printing.
    CommandLine read;
    const QString program = QFileInfo(arguments.value(0, QStringLiteral("kinfold-search"))).fileName();
    const QString tryHelp = QStringLiteral("Try '%1 --help' for more information.\n").arg(program);
    if (!parser.parse(arguments)) {
        read.exitStatus = kUsageErrorStatus;
        read.errors = QStringLiteral("%1: %2\n").arg(program, parser.errorText()) + tryHelp;
        return read;
    }
    if (parser.isSet(help)) {
        read.exitStatus = 0;
        read.output = parser.helpText();
        // Without an application object Qt can't know the program's name.
        read.output.replace(QStringLiteral("<executable_name>"), arguments.value(0));
        return read;
    }
    if (parser.isSet(version)) {
        read.exitStatus = 0;
        read.output =
            QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion());
        return read;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        read.exitStatus = kUsageErrorStatus;
        read.errors = QStringLiteral("%1: one file at most, not %2\n").arg(program).arg(files.size()) + tryHelp;
        return read;
    }
    if (!files.isEmpty()) {
        read.file = QFileInfo(files.front()).absoluteFilePath();
    }
    return read;
}

std::optional<CommandLine> readCommandLineWithoutWindow(const QStringList& arguments) {
    CommandLine read = readCommandLine(arguments);
    if (!read.exitStatus) {
        return std::nullopt;
    }
    if (*read.exitStatus == 0) {
        return read;
    }
    // An option we don't know may be one of Qt's; with a display, QApplication takes those out first.
    const bool displayNamed = qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                              qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
                              arguments.contains(QStringLiteral("-platform"));
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    const bool display = true;
#else
    const bool display = displayNamed;
#endif
    return display ? std::nullopt : std::optional<CommandLine>(read);
}

}  // namespace kinfold
