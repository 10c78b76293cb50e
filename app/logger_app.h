// CTESSAMPLENXLOGGERApp: the application object, which runs the main dialog.
#pragma once

#include <optional>
#include <string>

#include "ui/win_app.h"

// How the program was asked to run (command-line options).
struct LoggerRunOptions {
  // No display needed (offscreen platform) and every message box answered
  // with its cancelling answer, its text written to standard error.
  bool headless = false;
  // Start a run with the remembered port and log file name once the window
  // is shown, as a click of Start does.
  bool start = false;
  // Write the window as a PNG to this path once it is shown, then close it.
  std::optional<std::string> screenshotPath;
  // Keep the raw capture of every run in this file.
  std::optional<std::string> rawCapturePath;
};

class CTESSAMPLENXLOGGERApp : public CWinApp {
 public:
  CTESSAMPLENXLOGGERApp();

  void SetRunOptions(LoggerRunOptions options) { m_options = std::move(options); }

  // Runs the main dialog modally and returns FALSE, so that the program ends
  // when the dialog has closed.
  BOOL InitInstance() override;

  // The program's exit status: 1 when the screenshot could not be written.
  int ExitCode() const { return m_exitCode; }

 private:
  LoggerRunOptions m_options;
  int m_exitCode = 0;
};
