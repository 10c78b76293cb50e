// The lasting conditions of a run, as one line each for the person at the
// window: what keeps the run from being whole (no log kept, log lines not
// written, the raw capture stopped, frames that do not match the layout, a
// lost line...), from the moment it is said until it clears. A face's
// helper, fed in the run's order; not thread-safe on its own.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/run_observer.h"

// Shown for a live run that keeps no log, for as long as it lasts.
inline constexpr std::string_view kRunNotRecordedText =
    "This run is not recorded: no log file is chosen (\"Save log file as...\").";

class RunConditions {
 public:
  // A new run or replay (notRecorded: a live run that keeps no log): every
  // condition of the last one goes.
  void Begin(bool notRecorded);
  void OnRecord(const RunRecord& record);
  void OnEvent(const RunEvent& event);
  // The run has ended: only what it lost stays (the log lines not written,
  // as the end counts them); the conditions of a run under way go.
  void End(const RunEnd& end);

  // One line per condition (Windows-1252), in the order they began; empty
  // when the run is whole so far.
  std::vector<std::string> Lines() const;
  // The log lines not written so far: those said by the run, and the
  // logged records taken while the log still failed.
  uint64_t LinesNotLogged() const { return m_linesNotLogged; }

 private:
  void Set(RunEventKind kind, std::string line);
  void Clear(RunEventKind kind);
  std::string LogLine() const;

  bool m_noLog = false;
  bool m_logFailing = false;
  std::string m_logFailure;
  uint64_t m_linesNotLogged = 0;
  uint64_t m_notLoggedBefore = 0;  // those of earlier stretches of failure
  // The lines of the conditions other than the log's, by kind, with the
  // order they began in.
  std::map<RunEventKind, std::pair<uint64_t, std::string>> m_lines;
  uint64_t m_next = 0;
};
