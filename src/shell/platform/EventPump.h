#pragma once

#include <QElapsedTimer>

namespace kinfold {

// Lets the user interface handle its pending events in the middle of a long
// handler (the search). Tests replace it with a scripted pump.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Called between two slices of work; handles pending events when due.
    virtual void pump() = 0;
};

// Handles pending events at most every few milliseconds: often enough that
// Stop, About and closing answer at once, rarely enough that the scan runs at
// full speed between two rounds.
class QtEventPump : public EventPump {
public:
    static constexpr qint64 kIntervalMs = 10;
    QtEventPump() { sinceLast_.start(); }
    void pump() override;

private:
    QElapsedTimer sinceLast_;
};

}  // namespace kinfold
