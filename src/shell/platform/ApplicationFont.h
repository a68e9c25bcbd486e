#pragma once

#include <QFont>

namespace kinfold {

// The font of every window. The windows keep the classic compact layout
// (17-pixel-high buttons, an 89-pixel label for "Number of values:"), so the
// font is a narrow face at a pixel size that makes the widest captions fit.
QFont applicationFont();

}  // namespace kinfold
