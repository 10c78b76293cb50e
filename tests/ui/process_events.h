// Runs a test's Qt event loop until a condition holds, so a window's timers,
// posted messages and workers' results are handled without sleeps.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <functional>

// Runs the event loop until `done` holds or `timeoutMs` have passed; false
// on the time-out.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}
