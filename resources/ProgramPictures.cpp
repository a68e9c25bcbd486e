#include "ProgramPictures.h"

namespace kinfold {

QString programIconPath() { return QStringLiteral(":/kinfold/kinfold-search.png"); }

QString bannerPath() { return QStringLiteral(":/kinfold/banner.gif"); }

}  // namespace kinfold
