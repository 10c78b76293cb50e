// CTESSAMPLENXLOGGERApp: the application object, which runs the main dialog.
#pragma once

#include <optional>
#include <string>

#include "ui/win_app.h"

class CTESSAMPLENXLOGGERDlg;

// How the program was asked to run (command-line options).
struct LoggerRunOptions {
  // An unattended run (UnattendedRun): no display needed (offscreen
  // platform), Start clicked at once, message boxes written to standard
  // error and answered as if closed, the views printed on standard output.
  // With a screenshot path, only the screenshot is taken.
  bool headless = false;
  // Click Start once the window is shown (implied by headless).
  bool start = false;
  // The port list's item to select ("COM3"), as a user would.
  std::optional<std::string> portName;
  // The log file to choose as the save dialog would (relative to the
  // current folder).
  std::optional<std::string> logFile;
  // Unattended: answer Yes to the question whether to append to an
  // existing log.
  bool append = false;
  // Unattended: the run ends after this long (else at a termination signal).
  std::optional<int> runMs;
  // Unattended: the views are also printed this often during the run.
  std::optional<int> dumpEveryMs;
  // Replay this log instead of a run (StartReplay), at replaySpeed; an
  // unattended replay prints the views after the last record.
  std::optional<std::string> replayPath;
  double replaySpeed = 1.0;
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

  // The program's exit status: 1 when the screenshot could not be written,
  // an unattended run did not start or an unattended replay could not read
  // its log, else 0.
  int ExitCode() const { return m_exitCode; }

 private:
  // The port and log file of the options, chosen in the dialog; false (with
  // the reason on standard error) when the log file was refused.
  bool ApplyChoices(CTESSAMPLENXLOGGERDlg& dlg) const;

  LoggerRunOptions m_options;
  int m_exitCode = 0;
};
