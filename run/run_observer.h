// A face of a run: whatever shows, stores or sends the run's records
// subscribes here and gets each record once, as values with text and time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "run/run_event.h"
#include "run/run_layout.h"
#include "run/run_record.h"

// What a run is about; given to every face before its first record.
struct RunStart {
  std::shared_ptr<const RunLayout> layout;
  LocalTime time;
  int64_t timeMs = 0;
  // The chosen port ("COM3") and the device it opened; empty for a replay.
  std::string portName;
  std::string devicePath;
  // The log as named (file-system bytes); empty when the run keeps none.
  std::string logPath;
  std::string rawCapturePath;  // empty: no raw capture
  // A replay feeds the records of this log instead of a port.
  bool replay = false;
  std::string replayPath;
};

// How a run ended, once the link and the files are closed and the archive
// written (or not).
struct RunEnd {
  LocalTime time;
  int64_t timeMs = 0;
  uint64_t records = 0;         // records taken
  uint64_t linesNotLogged = 0;  // log lines that could not be written
  std::string archivePath;      // the archive written; empty when none
  // What the user must still be told, in the order it happened (a failed
  // archive, a last flush that failed); empty when all went well.
  std::vector<std::string> failureMessages;
  // What the user should still read although nothing needs doing, after
  // the failures: a replay's report of the log lines it skipped.
  std::vector<std::string> noticeMessages;
  // A replay that could not read its log to the end.
  bool replayFailed = false;
};

// Calls to one observer never overlap and come in order: OnRunStarted, then
// records and events as the run took them, then OnRunEnded. They come on
// the run's own threads; an observer returns quickly (it hands slow work to
// a thread or queue of its own) and never calls Start or Stop of the run
// from inside a call.
class RunObserver {
 public:
  virtual ~RunObserver() = default;
  virtual void OnRunStarted(const RunStart& start) { static_cast<void>(start); }
  virtual void OnRecord(const std::shared_ptr<const RunRecord>& record) { static_cast<void>(record); }
  virtual void OnRunEvent(const RunEvent& event) { static_cast<void>(event); }
  virtual void OnRunEnded(const RunEnd& end) { static_cast<void>(end); }
};
