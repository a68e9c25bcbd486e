#include "shell/platform/ReplaceQuestion.h"

#include "shell/platform/FileWriting.h"
#include "shell/platform/MessageBoxes.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace kinfold {

bool mayReplace(MessageBoxes& messages, QWidget* owner, const QString& path) {
    // A device is written to, never replaced, and a folder is refused by the writer: only a file is asked about.
    std::error_code error;
    if (!std::filesystem::is_regular_file(toFilesystemPath(path), error)) return true;
    const QFileInfo file(path);
    const QString text = QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(file.fileName());
    return messages.showOver(owner, text, kStyleReplaceQuestion) == kAnswerYes;
}

}  // namespace kinfold
