#pragma once

#include <QString>

namespace kinfold {

// A path as a message names it: in double quotes, as it is.
inline QString quoted(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

}  // namespace kinfold
