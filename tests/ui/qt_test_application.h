// A Qt application for tests of windows, on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise: created by the first test that asks for
// it and deleted when all tests are done.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

namespace qt_test_application {

inline QApplication* g_application = nullptr;

// Deletes the application after the last test, while Qt's own statics
// still exist (after main they would not, and a leak checker would report
// Qt's font configuration if it were never deleted).
class Environment : public ::testing::Environment {
 public:
  void TearDown() override {
    delete g_application;
    g_application = nullptr;
  }
};

inline const bool kEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new Environment), true);

}  // namespace qt_test_application

inline QApplication& EnsureQtTestApplication() {
  if (qt_test_application::g_application == nullptr) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/0);
    static int argc = 1;
    static char programName[] = "plenx-tests";
    static char* argv[] = {programName, nullptr};
    qt_test_application::g_application = new QApplication(argc, argv);
  }
  return *qt_test_application::g_application;
}
