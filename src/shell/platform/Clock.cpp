#include "shell/platform/Clock.h"

namespace kinfold {

QString searchDateText(const QDateTime& when, const QLocale& locale) {
    return locale.toString(when.date(), QLocale::ShortFormat);
}

QString searchTimeText(const QDateTime& when, const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // Short time formats usually stop at the minutes; a search summary wants the seconds.
    if (!format.contains(QLatin1Char('s'))) {
        const qsizetype minutes = format.indexOf(QLatin1String("mm"));
        if (minutes >= 0) {
            format.insert(minutes + 2, QLatin1String(":ss"));
        } else {
            format = QStringLiteral("HH:mm:ss");
        }
    }
    return locale.toString(when.time(), format);
}

}  // namespace kinfold
