// Records, events and the end of a run, posted to the main dialog.
#include "app/window_run_face.h"

#include <utility>

#include "link/record_post.h"
#include "ui/wnd.h"

void WindowRunFace::OnRunStarted(const RunStart&) {
  std::lock_guard lock(m_mutex);
  m_records.clear();
  m_end.reset();
}

void WindowRunFace::OnRecord(const std::shared_ptr<const RunRecord>& record) {
  std::lock_guard lock(m_mutex);
  m_records.push_back(record);
  if (m_recordsPosted) return;
  m_recordsPosted = ::PostMessage(m_window.load(), WM_LINK_RECORD, 0, 0) != FALSE;
  // A window that takes no more messages keeps nothing.
  if (!m_recordsPosted) m_records.clear();
}

void WindowRunFace::OnRunEvent(const RunEvent& event) {
  auto posted = std::make_unique<RunEvent>(event);
  if (::PostMessage(m_window.load(), WM_LINK_EVENT, reinterpret_cast<WPARAM>(posted.get()), 0)) {
    // The queued message owns the event now.
    static_cast<void>(posted.release());
  }
}

void WindowRunFace::OnRunEnded(const RunEnd& end) {
  {
    std::lock_guard lock(m_mutex);
    m_end = end;
  }
  ::PostMessage(m_window.load(), WM_RUN_ENDED, 0, 0);
}

std::vector<std::shared_ptr<const RunRecord>> WindowRunFace::TakeRecords() {
  std::lock_guard lock(m_mutex);
  m_recordsPosted = false;
  return std::exchange(m_records, {});
}

std::optional<RunEnd> WindowRunFace::TakeRunEnd() {
  std::lock_guard lock(m_mutex);
  return std::exchange(m_end, std::nullopt);
}
