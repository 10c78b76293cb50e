// The window's events of the latest run and the values at each.
#include "run/event_history.h"

#include <algorithm>
#include <utility>

EventValues ValuesAtEvent(const RunLayout& layout, const RunRecord& record, const ChangeEvent& event) {
  EventValues values;
  for (size_t list = 0; list < layout.lists.size(); ++list) {
    const RunList& shown = layout.lists[list];
    DumpTab tab{shown.tabText, {}};
    for (size_t row = shown.firstRow; row < shown.firstRow + shown.rowCount && row < layout.rows.size();
         ++row) {
      if (event.kind == ChangeKind::kValue && event.row == row) {
        values.changedTab = static_cast<int>(list);
        values.changedRow = static_cast<int>(tab.rows.size());
      }
      tab.rows.push_back(DumpRow{layout.rows[row].label, row < record.filledRows && row < record.texts.size()
                                                             ? record.texts[row]
                                                             : std::string()});
    }
    values.tabs.push_back(std::move(tab));
  }
  return values;
}

bool EventHistory::Add(KeptEvent kept) {
  const bool restart = kept.event.kind == ChangeKind::kRunStarted;
  if (restart) {
    m_first = 0;
    m_events.clear();
  }
  m_events.push_back(std::move(kept));
  while (m_events.size() > m_capacity) {
    m_events.pop_front();
    ++m_first;
  }
  return restart;
}

const KeptEvent* EventHistory::Find(uint64_t serial) const {
  if (serial < m_first || serial >= EndSerial()) return nullptr;
  return &m_events[static_cast<size_t>(serial - m_first)];
}
