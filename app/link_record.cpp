// Record intake of the main dialog: the link's records are posted to the
// window, then shown in the unit lists and logged on the user-interface
// thread.
#include <memory>
#include <string>

#include "app/logger_dialog.h"
#include "decode/record_view.h"
#include "panels/trend_window.h"
#include "platform/local_time.h"
#include "ui/message_box.h"

bool CTESSAMPLENXLOGGERDlg::PostRecord(uint32_t message, std::unique_ptr<std::string> recordText,
                                       int unitIndex) {
  const HWND window = m_recordWindow.load();
  if (!::PostMessage(window, message, reinterpret_cast<WPARAM>(recordText.get()), unitIndex)) return false;
  // The queued message owns the text now (it may even be handled already).
  static_cast<void>(recordText.release());
  return true;
}

LRESULT CTESSAMPLENXLOGGERDlg::OnLinkRecord(WPARAM wParam, LPARAM) {
  // Released on every path; a message box below runs a nested loop that
  // handles further records, each owning its own text.
  std::unique_ptr<std::string> record(reinterpret_cast<std::string*>(wParam));
  // A record the link posted before Stop began does not start the watchdog
  // again: the banner belongs to a run.
  if (m_started && !m_stopping) SetTimer(kWatchdogTimerId, kWatchdogPeriodMs, TimerAccuracy::kPrecise);
  m_banner.ShowWindow(SW_HIDE);
  const LocalTime now = ReadLocalTime();
  // A record that cannot be logged is still shown: the values on screen stay
  // live while the disk is full, and the next record tries to log again.
  // A replayed record was logged when it was recorded: nothing is written.
  const int logResult =
      m_replaying ? 0
                  : m_logFile.LogRecord(now, *record, m_config.logFileName, m_config.logEvery, m_recordCount);

  const RecordTexts texts = DecodeRecord(m_config.Layout(), *record);
  if (m_trends != nullptr) m_trends->AddRecord(now, *record);
  record.reset();
  for (size_t listIndex = 0; listIndex < texts.listTexts.size(); ++listIndex) {
    CListCtrl* list = listIndex == 0                    ? &m_outdoorList
                      : listIndex <= m_unitLists.size() ? &m_unitLists[listIndex - 1]
                                                        : nullptr;
    if (list == nullptr) break;
    const std::vector<std::string>& rowTexts = texts.listTexts[listIndex];
    for (size_t row = 0; row < rowTexts.size(); ++row)
      list->SetItemText(static_cast<int>(row), 1, rowTexts[row]);
  }
  // The boxes come last: records handled in their loops show newer values,
  // which this record's must not overwrite afterwards.
  if (logResult < 0) ShowRepeatingError(RepeatingError::kDiskFull, m_logFile.WriteFailureText());
  if (logResult == kLogReopened) ShowRepeatingError(RepeatingError::kLogReopened, m_logFile.ReopenedText());
  if (texts.tooShort)
    ShowRepeatingError(RepeatingError::kImproperArgument, std::string(kImproperArgumentText));
  return 0;
}

void CTESSAMPLENXLOGGERDlg::ShowRepeatingError(RepeatingError kind, const std::string& text) {
  // Not boxed again while one is open: each record would open another box
  // inside the last one's loop, until Stop and Close could not be reached.
  if (!m_openErrorBoxes.insert(kind).second) return;
  MessageBox(text, "", MB_OK | MB_ICONERROR);
  m_openErrorBoxes.erase(kind);
}

void CTESSAMPLENXLOGGERDlg::OnDiscardPostedMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_LINK_RECORD) delete reinterpret_cast<std::string*>(wParam);
}
