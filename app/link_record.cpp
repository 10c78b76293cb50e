// Records in the main dialog: the lists show what the run's views hold, and
// the trends and the replay's window get every record.
#include <memory>
#include <vector>

#include "app/logger_dialog.h"
#include "panels/replay_panel.h"
#include "panels/trend_window.h"
#include "ui/text_codec.h"

LRESULT CTESSAMPLENXLOGGERDlg::OnLinkRecord(WPARAM, LPARAM) {
  const std::vector<std::shared_ptr<const RunRecord>> records = m_face.TakeRecords();
  if (records.empty()) return 0;
  for (size_t listIndex = 0; listIndex <= m_unitLists.size(); ++listIndex) {
    CListCtrl& list = listIndex == 0 ? m_outdoorList : m_unitLists[listIndex - 1];
    const std::vector<std::string> values = m_views->ListValues(listIndex);
    const int rows = std::min(list.GetItemCount(), static_cast<int>(values.size()));
    for (int row = 0; row < rows; ++row) list.SetItemText(row, 1, values[static_cast<size_t>(row)]);
  }
  for (const std::shared_ptr<const RunRecord>& record : records) {
    m_stateLine.OnRecord(*record);
    m_runTrends->AppendDecoded(record->timeMs, record->numbers, record->filledRows);
  }
  if (m_trends != nullptr) m_trends->RecordsAdded();
  if (m_replaying) {
    m_replayPosition = records.back()->time;
    m_replayRecords = records.back()->sequence;
    if (m_replayPanel) {
      m_replayPanel->SetPosition(TextToQt(ReplayPositionText(*m_replayPosition)), m_replayRecords,
                                 ReplayStage::kReplaying);
    }
  }
  return 0;
}

void CTESSAMPLENXLOGGERDlg::OnDiscardPostedMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_LINK_EVENT) delete reinterpret_cast<RunEvent*>(wParam);
}
