// The window's listener of the run's events face: each event, with the
// record whose values it shows, is queued and posted to the window, whose
// own thread then lists it.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "run/event_face.h"
#include "run/event_history.h"
#include "run/run_observer.h"
#include "ui/win_constants.h"
#include "ui/win_types.h"

// Posted to the window (no parameters): events are waiting (TakeEvents);
// one such message at most is queued at a time.
inline constexpr UINT WM_RUN_CHANGES = WM_APP + 7;

// Also a face of the run, subscribed after the events face: it notes the
// last record, which an event between records shows. Its calls and the
// listener's come on the run's threads and never overlap.
class WindowEventListener : public RunObserver {
 public:
  // Listens to face; before the run starts.
  void Listen(EventFace& face);
  // The window the messages go to; 0 posts nothing. Any thread.
  void SetWindow(HWND window) { m_window.store(window); }

  void OnRunStarted(const RunStart& start) override;
  void OnRecord(const std::shared_ptr<const RunRecord>& record) override;

  // The events since the last call, in order; the window's thread.
  std::vector<KeptEvent> TakeEvents();

 private:
  void Keep(const ChangeEvent& event, const std::shared_ptr<const RunRecord>& record);

  std::atomic<HWND> m_window{0};
  // The run's threads only.
  std::shared_ptr<const RunLayout> m_layout;
  std::shared_ptr<const RunRecord> m_lastRecord;

  std::mutex m_mutex;
  std::vector<KeptEvent> m_events;
  // A WM_RUN_CHANGES is queued and TakeEvents has not run since.
  bool m_posted = false;
};
