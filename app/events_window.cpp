// The run's events in the main dialog: kept from the run's start until the
// next start (after Stop too), listed newest first in the Events window,
// which shows the values at a selected event's record, and marked on the
// trends' time axis.
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/logger_dialog.h"
#include "panels/events_panel.h"
#include "panels/trend_chart_view.h"
#include "panels/trend_window.h"
#include "ui/text_codec.h"

namespace {

// "Values of record 42 at 2015-03-07 14:05:09.042", said of the record an
// event came with or, for one between records, of the last before it.
QString ValuesHeadingOf(const KeptEvent& kept) {
  const RunRecord& record = *kept.record;
  QString heading = QStringLiteral("Values of record ") + QString::number(record.sequence) +
                    QStringLiteral(" at ") + EventsPanel::TimeText(record.time);
  if (kept.event.record == 0) heading += QStringLiteral(", the last before this event");
  return heading;
}

}  // namespace

void CTESSAMPLENXLOGGERDlg::InstallEvents() {
  MapMessage(WM_RUN_CHANGES, [this](WPARAM, LPARAM) {
    OnRunChanges();
    return LRESULT{0};
  });
  m_eventListener.Listen(m_eventFace);
  m_run->Subscribe(m_eventListener);
  m_eventListener.SetWindow(GetSafeHwnd());
}

void CTESSAMPLENXLOGGERDlg::OnRunChanges() {
  std::vector<KeptEvent> taken = m_eventListener.TakeEvents();
  std::vector<ChangeEvent> added;
  const auto hand = [&] {
    if (m_eventsPanel) m_eventsPanel->AddEvents(added);
    if (m_trends) m_trends->Chart()->AddEventMarks(added);
    added.clear();
  };
  for (KeptEvent& kept : taken) {
    added.push_back(kept.event);
    if (m_eventHistory.Add(std::move(kept))) {
      // A run's start: the last run's events go, its start stays.
      added.erase(added.begin(), added.end() - 1);
      if (m_eventsPanel) m_eventsPanel->Clear();
      if (m_trends) m_trends->Chart()->ClearEventMarks();
    }
  }
  hand();
  if (m_eventsPanel) m_eventsPanel->KeepNewest(m_eventHistory.Size());
}

void CTESSAMPLENXLOGGERDlg::OpenEvents() {
  if (m_eventsPanel == nullptr) {
    EventsPanel::Handlers handlers;
    handlers.eventSelected = [this](const ChangeEvent&, uint64_t serial) { ShowEventValues(serial); };
    // A window of its own, as Trends is: the main window's boxes block
    // their owner only, and the list stays usable beside them.
    m_eventsPanel = std::make_unique<EventsPanel>(nullptr, std::move(handlers));
    m_eventsPanel->setWindowIcon(m_hIcon);
    // Numbered as the history numbers them, whose oldest may have gone.
    m_eventsPanel->Clear(m_eventHistory.FirstSerial());
    m_eventsPanel->AddEvents(KeptEvents());
  }
  m_eventsPanel->show();
  m_eventsPanel->raise();
  m_eventsPanel->activateWindow();
}

std::vector<ChangeEvent> CTESSAMPLENXLOGGERDlg::KeptEvents() const {
  std::vector<ChangeEvent> events;
  events.reserve(m_eventHistory.Size());
  for (const KeptEvent& kept : m_eventHistory.Events()) events.push_back(kept.event);
  return events;
}

void CTESSAMPLENXLOGGERDlg::ShowEventValues(uint64_t serial) {
  if (!m_eventsPanel) return;
  const KeptEvent* kept = m_eventHistory.Find(serial);
  if (kept == nullptr || !kept->record || !kept->layout) {
    m_eventsPanel->ShowValues(QStringLiteral("No record before this event."), {}, -1, -1);
    return;
  }
  const EventValues values = ValuesAtEvent(*kept->layout, *kept->record, kept->event);
  m_eventsPanel->ShowValues(ValuesHeadingOf(*kept), values.tabs, values.changedTab, values.changedRow);
}
