#include "shell/platform/ApplicationFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>

namespace kinfold {

QFont applicationFont() {
    QFont font = QGuiApplication::font();
    if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans Condensed"))) {
        font = QFont(QStringLiteral("DejaVu Sans Condensed"));
    }
    // The tightest caption of the main window: "Number of values:" in an
    // 89-pixel label. Shrink until it fits with a little room to spare.
    constexpr int kLabelWidth = 89;
    constexpr int kSpare = 4;
    for (int px = 10; px >= 7; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(QStringLiteral("Number of values:")) <= kLabelWidth - kSpare) {
            break;
        }
    }
    return font;
}

}  // namespace kinfold
