#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kinfold {

// What `kinfold-search [options] [FILE]` asks for: either a window, with the
// file to open in it (absolute; empty for none), or an end at once with a
// status and the text to print.
struct CommandLine {
    std::optional<int> exitStatus;
    QString file;
    QString output;  // for standard output: the help or the version
    QString errors;  // for standard error
};

// Exit status for arguments the program does not understand.
inline constexpr int kUsageErrorStatus = 2;

// Reads the arguments (the program's name first, Qt's own options already
// taken out by QApplication). Needs the application name and version set.
CommandLine readCommandLine(const QStringList& arguments);

// The same before the window system is started, so that --help, --version and
// wrong arguments are answered in a terminal without a display. An answer
// only when it can't depend on Qt's own options (-platform, -style, ...),
// which QApplication takes out later: help and the version always, an error
// only when no window could be shown anyway.
std::optional<CommandLine> readCommandLineWithoutWindow(const QStringList& arguments);

}  // namespace kinfold
