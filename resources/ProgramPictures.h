#pragma once

#include <QString>

namespace kinfold {

// Where the compiled-in pictures live. Linking kinfold_resources registers
// them; these are the only paths the windows load them from.
QString programIconPath();  // ":/kinfold/kinfold-search.png", 32x32
QString bannerPath();       // ":/kinfold/banner.gif", 489x108

}  // namespace kinfold
