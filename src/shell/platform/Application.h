#pragma once

namespace kinfold {

// The program-wide settings every run starts with: name, version record,
// icon, font, and that only the main window's closing ends the program.
void setUpApplication();

// The name and the version alone, which need no application object yet.
void setApplicationIdentity();

}  // namespace kinfold
