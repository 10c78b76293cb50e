// A Qt application for tests of windows, on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise, created once per test program.
#pragma once

#include <QApplication>
#include <cstdlib>

inline QApplication& EnsureQtTestApplication() {
  static QApplication* application = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    static int argc = 1;
    static char programName[] = "plenx-tests";
    static char* argv[] = {programName, nullptr};
    // Never deleted: widgets of every test are gone long before exit, and
    // tearing Qt down after main brings nothing but exit-order trouble.
    return new QApplication(argc, argv);
  }();
  return *application;
}
