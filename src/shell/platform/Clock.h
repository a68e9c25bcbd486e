#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace kinfold {

// The current date and time, behind an interface so tests can fix them.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// The date as the locale writes it in short form.
QString searchDateText(const QDateTime& when, const QLocale& locale = QLocale::system());
// The time of day as the locale writes it, always with seconds.
QString searchTimeText(const QDateTime& when, const QLocale& locale = QLocale::system());

}  // namespace kinfold
