// The slow end of a logging run, done off the user-interface thread: the
// link's close (its wait and the reader's join), the log's flush to disk,
// and the log's archive.
#pragma once

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "archive/log_archive_name.h"
#include "link/simple_protocol.h"
#include "platform/raw_capture.h"
#include "ui/win_constants.h"
#include "ui/win_types.h"

// Posted by the worker to the window of the request, in this order: once
// the archive starts, then whenever another tenth of a percent of the log
// has been read into it, WM_STOP_PROGRESS with wParam the log's bytes read
// so far and lParam its size; at the end WM_STOP_DONE (both 0). The window
// then calls Finish.
inline constexpr UINT WM_STOP_PROGRESS = WM_APP + 3;
inline constexpr UINT WM_STOP_DONE = WM_APP + 4;

// What Stop hands to the worker. Everything it names belongs to the worker
// until Finish returns.
struct StopRequest {
  // Closed first; null when the run opened none.
  CSimpleProtocol* link = nullptr;
  // The log's descriptor, released by the log file (LogFile::ReleaseFile):
  // flushed to disk and closed after the link. -1 when none is open.
  int logFile = -1;
  // The message when that flush fails (LogFile::WriteFailureText).
  std::string logWriteFailureText;
  // The run's raw capture of the line, closed after the link (its last
  // bytes written); null when none is open.
  RawCapture* rawCapture = nullptr;
  // The message when its last write fails.
  std::string rawCaptureFailureText;
  // The log file to archive, as the run named it; empty: no archive.
  std::string logPath;
  // Where the archive goes; nothing when its path would be too long.
  std::optional<LogArchiveName> archiveName;
  // Receives WM_STOP_PROGRESS and WM_STOP_DONE.
  HWND window = 0;
};

// The messages the user must see, in the order the failures happened.
struct StopOutcome {
  std::vector<std::string> failureMessages;
};

// One Stop at a time. Start, IsRunning and Finish belong to the
// user-interface thread.
class StopTask {
 public:
  StopTask() = default;
  // Waits for a worker still running.
  ~StopTask();
  StopTask(const StopTask&) = delete;
  StopTask& operator=(const StopTask&) = delete;

  // Runs the request on a worker thread (on the calling thread, blocking,
  // when no thread can be started); WM_STOP_DONE follows either way. Not
  // while another request is running.
  void Start(StopRequest request);
  // Started and not yet finished.
  bool IsRunning() const { return m_running; }
  // Waits for the worker to end and returns what it found; blocks for as
  // long as the work still takes. An empty outcome when none was running.
  StopOutcome Finish();

 private:
  static StopOutcome Run(const StopRequest& request);

  StopRequest m_request;
  StopOutcome m_outcome;
  std::thread m_worker;
  bool m_running = false;
};

// "Cannot write archive <path>: <reason>.", or for an archive whose path
// would not fit the 260-byte path buffer, the same for the log's name.
std::string ArchiveFailureText(const StopRequest& request, const std::string& reason);
