// The main dialog as a face of the run: what the run's threads hand out is
// posted to the window, whose own thread then shows it.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "run/run_observer.h"
#include "ui/win_constants.h"
#include "ui/win_types.h"

// Posted to the window, in the order the run took them. WM_LINK_RECORD
// (WM_APP + 1, no parameters): records are waiting (TakeRecords); one such
// message at most is queued at a time, so a replay as fast as possible never
// floods the queue. WM_LINK_EVENT: wParam a RunEvent the receiver deletes.
// WM_RUN_ENDED (no parameters): the run has ended (TakeRunEnd).
inline constexpr UINT WM_LINK_EVENT = WM_APP + 5;
inline constexpr UINT WM_RUN_ENDED = WM_APP + 4;

class WindowRunFace : public RunObserver {
 public:
  // The window the messages go to; 0 (the start, and once the window goes)
  // posts nothing. Any thread.
  void SetWindow(HWND window) { m_window.store(window); }

  // On the run's threads.
  void OnRunStarted(const RunStart& start) override;
  void OnRecord(const std::shared_ptr<const RunRecord>& record) override;
  void OnRunEvent(const RunEvent& event) override;
  void OnRunEnded(const RunEnd& end) override;

  // The records taken since the last call, in order; the window's thread.
  std::vector<std::shared_ptr<const RunRecord>> TakeRecords();
  // How the last run ended, once; nothing before its end or after the first
  // call. The window's thread.
  std::optional<RunEnd> TakeRunEnd();

 private:
  std::atomic<HWND> m_window{0};
  std::mutex m_mutex;
  std::vector<std::shared_ptr<const RunRecord>> m_records;
  // A WM_LINK_RECORD is queued and TakeRecords has not run since.
  bool m_recordsPosted = false;
  std::optional<RunEnd> m_end;
};
