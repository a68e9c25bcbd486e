#pragma once

#include <QString>

class QWidget;

namespace kinfold {

class MessageBoxes;

// Whether a save may write path: yes when no file is there (or a device,
// which is written to), otherwise only when the user answers Yes to replacing
// it (No is the default).
bool mayReplace(MessageBoxes& messages, QWidget* owner, const QString& path);

}  // namespace kinfold
