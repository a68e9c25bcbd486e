#include "shell/platform/EventPump.h"

#include <QCoreApplication>

namespace kinfold {

void QtEventPump::pump() {
    if (sinceLast_.elapsed() < kIntervalMs) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceLast_.restart();
}

}  // namespace kinfold
