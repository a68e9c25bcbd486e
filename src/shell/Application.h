#pragma once

namespace kinfold {

// The program-wide settings every run starts with: name, version record,
// icon, font, and that only the main window's closing ends the program.
void setUpApplication();

}  // namespace kinfold
