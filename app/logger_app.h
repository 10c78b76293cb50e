// CTESSAMPLENXLOGGERApp: the application object, which runs the main dialog.
#pragma once

#include <optional>
#include <string>

#include "app/logger_options.h"
#include "ui/win_app.h"

class CTESSAMPLENXLOGGERDlg;

class CTESSAMPLENXLOGGERApp : public CWinApp {
 public:
  CTESSAMPLENXLOGGERApp();

  void SetRunOptions(LoggerRunOptions options) { m_options = std::move(options); }

  // Runs the main dialog modally and returns FALSE, so that the program ends
  // when the dialog has closed.
  BOOL InitInstance() override;

  // The program's exit status: 1 when the screenshot could not be written,
  // else 0.
  int ExitCode() const { return m_exitCode; }

 private:
  // The port and log file of the options, chosen in the dialog; false (with
  // the reason on standard error) when the log file was refused.
  bool ApplyChoices(CTESSAMPLENXLOGGERDlg& dlg) const;

  LoggerRunOptions m_options;
  int m_exitCode = 0;
};
