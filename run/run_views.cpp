// The unit views as a run leaves them.
#include "run/run_views.h"

#include <algorithm>

#include "decode/unit_tabs.h"

RunViews::RunViews(const LoggerConfig& config) {
  for (const std::string& text : UnitTabTexts(config.ShownUnitCount()))
    m_dump.tabs.push_back(DumpTab{text, {}});
}

void RunViews::OnRunStarted(const RunStart& start) {
  const RunLayout& layout = *start.layout;
  std::lock_guard lock(m_mutex);
  m_dump.bannerShown = false;
  m_dump.tabs.clear();
  for (const std::string& text : layout.tabTexts) m_dump.tabs.push_back(DumpTab{text, {}});
  m_listCount = std::min(layout.lists.size(), m_dump.tabs.size());
  m_firstRow.assign(m_listCount, 0);
  for (size_t list = 0; list < m_listCount; ++list) {
    const RunList& shown = layout.lists[list];
    m_firstRow[list] = shown.firstRow;
    for (size_t row = shown.firstRow; row < shown.firstRow + shown.rowCount; ++row)
      m_dump.tabs[list].rows.push_back(DumpRow{layout.rows[row].label, {}});
  }
}

void RunViews::OnRecord(const std::shared_ptr<const RunRecord>& record) {
  std::lock_guard lock(m_mutex);
  for (size_t list = 0; list < m_listCount; ++list) {
    std::vector<DumpRow>& rows = m_dump.tabs[list].rows;
    for (size_t row = 0; row < rows.size(); ++row) {
      const size_t recordRow = m_firstRow[list] + row;
      if (recordRow >= record->filledRows) return;
      rows[row].value = record->texts[recordRow];
    }
  }
}

void RunViews::OnRunEvent(const RunEvent& event) {
  if (event.kind != RunEventKind::kLineQuiet && event.kind != RunEventKind::kLineReceiving) return;
  std::lock_guard lock(m_mutex);
  m_dump.bannerShown = event.kind == RunEventKind::kLineQuiet;
}

void RunViews::OnRunEnded(const RunEnd&) {
  std::lock_guard lock(m_mutex);
  m_dump.bannerShown = false;
}

ViewDump RunViews::Dump() const {
  std::lock_guard lock(m_mutex);
  return m_dump;
}

bool RunViews::BannerShown() const {
  std::lock_guard lock(m_mutex);
  return m_dump.bannerShown;
}

std::vector<std::string> RunViews::ListValues(size_t list) const {
  std::lock_guard lock(m_mutex);
  std::vector<std::string> values;
  if (list >= m_listCount) return values;
  for (const DumpRow& row : m_dump.tabs[list].rows) values.push_back(row.value);
  return values;
}
