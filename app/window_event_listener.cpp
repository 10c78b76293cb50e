// The run's events, posted to the main dialog with their records.
#include "app/window_event_listener.h"

#include <utility>

#include "ui/wnd.h"

void WindowEventListener::Listen(EventFace& face) {
  face.AddListener([this](const ChangeEvent& event, const std::shared_ptr<const RunRecord>& record) {
    Keep(event, record);
  });
}

void WindowEventListener::OnRunStarted(const RunStart& start) {
  // The events face, subscribed first, has handed "Run started" already: it
  // has no record before it.
  m_layout = start.layout;
  m_lastRecord.reset();
}

void WindowEventListener::OnRecord(const std::shared_ptr<const RunRecord>& record) { m_lastRecord = record; }

void WindowEventListener::Keep(const ChangeEvent& event, const std::shared_ptr<const RunRecord>& record) {
  KeptEvent kept{event, record ? record : m_lastRecord, nullptr};
  if (event.kind == ChangeKind::kRunStarted) kept.record.reset();
  if (kept.record) kept.layout = m_layout;
  std::lock_guard lock(m_mutex);
  m_events.push_back(std::move(kept));
  if (m_posted) return;
  m_posted = ::PostMessage(m_window.load(), WM_RUN_CHANGES, 0, 0) != FALSE;
  // A window that takes no more messages keeps nothing.
  if (!m_posted) m_events.clear();
}

std::vector<KeptEvent> WindowEventListener::TakeEvents() {
  std::lock_guard lock(m_mutex);
  m_posted = false;
  return std::exchange(m_events, {});
}
