// Helpers for tests of windows: a plain top-level dialog to hold controls,
// and waiting on the event loop.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

#include "tests/ui/qt_test_application.h"
#include "ui/dialog.h"

// Runs the event loop until `done` holds or `timeoutMs` passed; returns `done()`.
inline bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

inline DialogTemplate PlainDialogTemplate(DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE) {
  DialogTemplate result;
  result.caption = "Test";
  result.style = style;
  result.cx = 200;
  result.cy = 100;
  return result;
}
