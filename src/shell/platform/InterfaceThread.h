#pragma once

#include "shell/platform/BackgroundJob.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

namespace kinfold {

// Posts to the interface thread as an event for context: run in the order
// posted, and dropped when context goes first.
inline BackgroundJob::Post interfaceThreadOf(QObject* context) {
    return
        [context](std::function<void()> f) { QMetaObject::invokeMethod(context, std::move(f), Qt::QueuedConnection); };
}

}  // namespace kinfold
