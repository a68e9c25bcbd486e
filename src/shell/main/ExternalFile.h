#pragma once

#include <QString>

namespace kinfold {

class Form1;

// A file handed to the program from outside the window (the command line, a
// drop): a values file (.ksv, any case) is loaded through Open Values, with
// its question when the pattern is unsaved; any other file becomes the ROM to
// search, by its absolute path, and nothing is searched yet.
void openExternalFile(Form1& window, const QString& path);

bool isValuesFileName(const QString& path);

}  // namespace kinfold
