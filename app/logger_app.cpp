// The application object's start-up: the main dialog, run modally, and what
// the command line asks of it.
#include "app/logger_app.h"

#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/headless_responder.h"
#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "app/run_choices.h"
#include "app/termination_signals.h"
#include "app/unattended_run.h"
#include "plenx_version.h"
#include "ui/button.h"

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
  return false;
}

BOOL CTESSAMPLENXLOGGERApp::InitInstance() {
  CWinApp::InitInstance();
  // Wayland desktops match the window to its desktop entry (name, icon) by
  // this ID.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kPlenxAppId));
  HeadlessResponder headlessResponder(stderr, m_options.append);
  if (m_options.headless) SetDialogResponder(&headlessResponder);

  CTESSAMPLENXLOGGERDlg dlg;
  if (m_options.rawCapturePath) dlg.SetRawCaptureFile(*m_options.rawCapturePath);
  if (m_options.headless) dlg.SetLinkEventOutput(stderr);
  m_pMainWnd = &dlg;
  // An unattended run unless only a screenshot was asked for.
  std::unique_ptr<UnattendedRun> unattended;
  if (m_options.headless && !m_options.screenshotPath) {
    unattended = std::make_unique<UnattendedRun>(
        dlg, UnattendedRunTimes{m_options.runMs, m_options.dumpEveryMs}, stdout, stderr, kProgramName);
    if (m_options.replayPath) unattended->SetReplay(*m_options.replayPath, m_options.replaySpeed);
  }
  // A signal ends an unattended run as Stop does; in the window it closes
  // the window without a question, after the run is stopped and archived.
  TerminationSignalWatch signalWatch([&dlg, &unattended] {
    if (unattended) {
      unattended->End();
    } else {
      dlg.CloseAfterStop();
    }
  });
  // Timers live in this scope, so none can fire on a dialog that is gone.
  QTimer startTimer;
  startTimer.setSingleShot(true);
  QObject::connect(&startTimer, &QTimer::timeout, [this, &dlg, &unattended] {
    const bool chosen = ApplyChoices(dlg);
    if (unattended && chosen) {
      unattended->Begin();
    } else if (unattended) {
      unattended->End();
    } else if (m_options.replayPath) {
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
  if (unattended) m_exitCode = unattended->ExitStatus();
  m_pMainWnd = nullptr;
  SetDialogResponder(nullptr);
  return FALSE;
}
