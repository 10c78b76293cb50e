// The log writer's queue and thread.
#include "run/log_writer.h"

#include <cerrno>
#include <system_error>
#include <utility>

bool LogWriter::Start(LogLineFile& log, EventSink sink) {
  m_log = &log;
  m_sink = std::move(sink);
  m_queue.clear();
  m_finishing = false;
  m_failing = false;
  m_notWritten = 0;
  m_notWrittenSinceFailure = 0;
  try {
    m_thread = std::thread(&LogWriter::WriteLoop, this);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void LogWriter::Add(std::string line) {
  {
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(line));
  }
  m_queued.notify_one();
}

uint64_t LogWriter::Finish() {
  if (!m_thread.joinable()) return 0;
  {
    std::lock_guard lock(m_mutex);
    m_finishing = true;
  }
  m_queued.notify_one();
  m_thread.join();
  return m_notWritten;
}

void LogWriter::WriteLoop() {
  std::vector<std::string> lines;
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_queued.wait(lock, [this] { return !m_queue.empty() || m_finishing; });
    if (m_queue.empty()) return;
    lines.swap(m_queue);
    lock.unlock();
    for (const std::string& line : lines) Write(line);
    lines.clear();
    lock.lock();
  }
}

void LogWriter::Write(const std::string& line) {
  const int result = m_log->AppendLine(line);
  RunEvent event;
  event.path = m_log->FullPath();
  if (result == kLogReopened) {
    event.kind = RunEventKind::kLogReopened;
    event.message = m_log->ReopenedText();
    m_sink(event);
  }
  if (result < 0) {
    event.error = errno;
    ++m_notWritten;
    ++m_notWrittenSinceFailure;
    if (m_failing) return;
    m_failing = true;
    event.kind = RunEventKind::kLogWriteFailed;
    event.message = m_log->WriteFailureText();
    event.count = m_notWritten;
    m_sink(event);
    return;
  }
  if (!m_failing) return;
  m_failing = false;
  event.kind = RunEventKind::kLogWriteResumed;
  event.count = m_notWrittenSinceFailure;
  m_notWrittenSinceFailure = 0;
  m_sink(event);
}
