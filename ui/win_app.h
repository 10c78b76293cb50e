// CWinApp: the application object that owns Qt's application and runs the
// program's main window.
#pragma once

#include <string>

#include "ui/win_types.h"

class CWnd;
class QApplication;

class CWinApp {
 public:
  // `appName` is the application's name (8-bit), the default caption of
  // message boxes. One application object exists at a time.
  explicit CWinApp(std::string appName);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Creates Qt's application from the command line (QT_QPA_PLATFORM=offscreen
  // runs without a display), calls InitInstance and returns 0 when it is
  // done: a dialog program ends when its main dialog has closed, whatever
  // InitInstance returns.
  int Run(int argc, char** argv);

  // The program's start-up; a dialog program runs its main dialog here and
  // returns FALSE.
  virtual BOOL InitInstance();

  const std::string& AppName() const { return m_appName; }

  CWnd* m_pMainWnd = nullptr;  // not owned

 private:
  std::string m_appName;
};

// The application object's name, or Qt's application name when there is
// no application object. 8-bit.
std::string ApplicationName();
