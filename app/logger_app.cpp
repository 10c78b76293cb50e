// The application object's start-up: the main dialog, run modally.
#include "app/logger_app.h"

#include <QTimer>
#include <cstdio>

#include "app/headless_responder.h"
#include "app/logger_dialog.h"
#include "app/resource_ids.h"
#include "app/termination_signals.h"
#include "ui/button.h"

namespace {
// Time for the shown window to lay itself out and handle what OnInitDialog
// posted before it is photographed.
constexpr int kScreenshotDelayMs = 300;
}  // namespace

CTESSAMPLENXLOGGERApp::CTESSAMPLENXLOGGERApp() : CWinApp(std::string(kProductName)) {}

BOOL CTESSAMPLENXLOGGERApp::InitInstance() {
  CWinApp::InitInstance();
  HeadlessResponder headlessResponder(stderr);
  if (m_options.headless) SetDialogResponder(&headlessResponder);

  CTESSAMPLENXLOGGERDlg dlg;
  m_pMainWnd = &dlg;
  // No question on a signal: the run is stopped and archived, then the
  // program ends.
  TerminationSignalWatch signalWatch([&dlg] { dlg.CloseAfterStop(); });
  // Timers live in this scope, so none can fire on a dialog that is gone.
  QTimer startTimer;
  if (m_options.start) {
    startTimer.setSingleShot(true);
    QObject::connect(&startTimer, &QTimer::timeout, [&dlg] {
      if (auto* start = dynamic_cast<CButton*>(dlg.GetDlgItem(kStartButtonId))) start->Click();
    });
    startTimer.start(0);
  }
  QTimer screenshotTimer;
  if (m_options.screenshotPath) {
    screenshotTimer.setSingleShot(true);
    QObject::connect(&screenshotTimer, &QTimer::timeout, [this, &dlg] {
      if (!dlg.SaveImage(*m_options.screenshotPath)) {
        std::fprintf(stderr, "plenx-logger: cannot write %s\n", m_options.screenshotPath->c_str());
        m_exitCode = 1;
      }
      dlg.CloseAfterStop();
    });
    screenshotTimer.start(kScreenshotDelayMs);
  }
  dlg.DoModal();
  m_pMainWnd = nullptr;
  SetDialogResponder(nullptr);
  return FALSE;
}
