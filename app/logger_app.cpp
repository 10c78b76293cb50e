// The application object's start-up: the main dialog, run modally, and what
// the command line asks of it.
#include "app/logger_app.h"

#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/headless_responder.h"
#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "app/run_choices.h"
#include "platform/termination_signals.h"
#include "plenx_version.h"
#include "ui/button.h"
#include "ui/wnd.h"

namespace {
// Time for the shown window to lay itself out and handle what OnInitDialog
// posted before it is photographed.
constexpr int kScreenshotDelayMs = 300;
constexpr const char* kProgramName = "plenx-logger";
}  // namespace

CTESSAMPLENXLOGGERApp::CTESSAMPLENXLOGGERApp() : CWinApp(std::string(kProductName)) {}

bool CTESSAMPLENXLOGGERApp::ApplyChoices(CTESSAMPLENXLOGGERDlg& dlg) const {
  // The command line offers only names of the list's items.
  if (m_options.portName) ChoosePort(dlg, *m_options.portName);
  if (!m_options.logFile) return true;
  const std::string refusal = ChooseLogFile(dlg, *m_options.logFile);
  if (refusal.empty()) return true;
  std::fprintf(stderr, "%s: %s\n", kProgramName, refusal.c_str());
  dlg.RefuseChosenLogFile(refusal);
  return false;
}

BOOL CTESSAMPLENXLOGGERApp::InitInstance() {
  CWinApp::InitInstance();
  // Wayland desktops match the window to its desktop entry (name, icon) by
  // this ID.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kPlenxAppId));
  // A window photographed unattended: its boxes are written, not shown.
  HeadlessResponder headlessResponder(stderr);
  if (m_options.headless) SetDialogResponder(&headlessResponder);

  CTESSAMPLENXLOGGERDlg dlg;
  if (m_options.rawCapturePath) dlg.SetRawCaptureFile(*m_options.rawCapturePath);
  dlg.SetSiteUpkeep(m_options.upkeep);
  dlg.SetFaceSettings(m_options.faces);
  m_pMainWnd = &dlg;
  // A signal closes the window without a question, after the run is stopped
  // and archived. Watched once the window exists, for its handle.
  std::optional<TerminationSignalWatch> signalWatch;
  // Timers live in this scope, so none can fire on a dialog that is gone.
  QTimer startTimer;
  startTimer.setSingleShot(true);
  QObject::connect(&startTimer, &QTimer::timeout, [this, &dlg, &signalWatch] {
    signalWatch.emplace([window = dlg.GetSafeHwnd()] { ::PostMessage(window, WM_TERMINATION_SIGNAL, 0, 0); });
    const bool chosen = ApplyChoices(dlg);
    if (m_options.screenshotPath) return;
    if (m_options.replayPath) {
      dlg.StartReplay(*m_options.replayPath, m_options.replaySpeed);
    } else if (m_options.start && chosen) {
      if (auto* start = dynamic_cast<CButton*>(dlg.GetDlgItem(kStartButtonId))) start->Click();
    }
  });
  startTimer.start(0);
  QTimer screenshotTimer;
  if (m_options.screenshotPath) {
    screenshotTimer.setSingleShot(true);
    QObject::connect(&screenshotTimer, &QTimer::timeout, [this, &dlg] {
      if (!dlg.SaveImage(*m_options.screenshotPath)) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgramName, m_options.screenshotPath->c_str());
        m_exitCode = 1;
      }
      dlg.CloseAfterStop();
    });
    screenshotTimer.start(kScreenshotDelayMs);
  }
  dlg.DoModal();
  signalWatch.reset();
  m_pMainWnd = nullptr;
  SetDialogResponder(nullptr);
  return FALSE;
}

int RunWindowProgram(const LoggerRunOptions& options, char* argv0) {
  // A window photographed unattended: the offscreen platform, which needs
  // no display, whatever the environment asks for.
  if (options.headless) ::setenv("QT_QPA_PLATFORM", "offscreen", /*overwrite=*/1);
  CTESSAMPLENXLOGGERApp app;
  app.SetRunOptions(options);
  // Qt reads only the program name from the arguments.
  int qtArgc = 1;
  char* qtArgv[] = {argv0, nullptr};
  const int status = app.Run(qtArgc, qtArgv);
  return status != 0 ? status : app.ExitCode();
}
