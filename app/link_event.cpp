// Run events in the main dialog: the banner follows the line, and each
// failure the user must act on is boxed once.
#include <memory>

#include "app/logger_dialog.h"
#include "ui/message_box.h"

LRESULT CTESSAMPLENXLOGGERDlg::OnLinkEvent(WPARAM wParam, LPARAM) {
  const std::unique_ptr<RunEvent> event(reinterpret_cast<RunEvent*>(wParam));
  switch (event->kind) {
    case RunEventKind::kLineQuiet:
    case RunEventKind::kLineReceiving:
      m_lineQuiet = event->kind == RunEventKind::kLineQuiet;
      // After Stop has begun the banner stays hidden.
      m_banner.ShowWindow(m_lineQuiet && ((m_started && !m_stopping) || m_replaying) ? SW_SHOW : SW_HIDE);
      break;
    case RunEventKind::kArchiveProgress:
      OnStopProgress(event->path, event->count, event->total);
      break;
    case RunEventKind::kLogWriteFailed:
    case RunEventKind::kLogReopened:
    case RunEventKind::kRawCaptureFailed:
    case RunEventKind::kRecordTooShort:
    case RunEventKind::kNoFrameMatches:
      ShowRunFailure(event->kind, event->message);
      break;
    default:
      // A lost line shows as the banner once the watchdog's time has passed.
      break;
  }
  return 0;
}

void CTESSAMPLENXLOGGERDlg::ShowRunFailure(RunEventKind kind, const std::string& text) {
  // Each failure is said once by the run; should it be said again while its
  // box is still open, the open box says it already.
  if (!m_openErrorBoxes.insert(kind).second) return;
  MessageBox(text, "", MB_OK | MB_ICONERROR);
  m_openErrorBoxes.erase(kind);
}
