// The run's log writer: the record path queues each logged line and returns
// at once; a thread of the writer's own puts the lines into the log file,
// so a slow USB stick or network share never holds up the line's reader,
// the other faces or the window.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "run/log_file.h"
#include "run/run_event.h"

class LogWriter {
 public:
  // How the writer reports what happened to the log: kLogWriteFailed once
  // until kLogWriteResumed, and kLogReopened each time. Called on the
  // writer's thread, never while the writer holds a lock of its own.
  using EventSink = std::function<void(RunEvent)>;

  LogWriter() = default;
  // Ends a thread still running, writing what is queued first.
  ~LogWriter() { Finish(); }
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // Starts the thread that writes into log, open, which it alone uses until
  // Finish returns. False when no thread could be started.
  bool Start(LogLineFile& log, EventSink sink);

  // Queues a whole log line (FormatLogLine). Never waits for the disk. Any
  // thread, between Start and Finish.
  void Add(std::string line);

  // Writes every queued line, then ends the thread. Returns the lines of
  // this run that could not be written. Nothing when it is not running.
  uint64_t Finish();

 private:
  void WriteLoop();
  void Write(const std::string& line);

  LogLineFile* m_log = nullptr;
  EventSink m_sink;
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_queued;
  std::vector<std::string> m_queue;  // guarded by m_mutex
  bool m_finishing = false;          // guarded by m_mutex
  // The writer thread's own, read by Finish after the join.
  bool m_failing = false;
  uint64_t m_notWritten = 0;
  uint64_t m_notWrittenSinceFailure = 0;
};
