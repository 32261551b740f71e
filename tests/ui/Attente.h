// Widget tests: run the event loop until a condition holds.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

// Runs the event loop until `condition` holds (at most 5 s); its last value.
inline bool Attends(const std::function<bool()>& condition) {
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}
