// Stop's worker: link close, log flush, archive, and the messages it posts.
#include "app/stop_task.h"

#include <system_error>
#include <utility>

#include "archive/log_archive.h"
#include "platform/posix_io.h"
#include "ui/wnd.h"

namespace {

// Progress is posted in steps of one part in this many of the log.
constexpr uint64_t kProgressSteps = 1000;

// Posts WM_STOP_PROGRESS when the archive starts and whenever the share of
// the log read has moved on by a step. Runs on the worker.
class ProgressPoster {
 public:
  explicit ProgressPoster(HWND window) : m_window(window) {}

  // Before the log is opened: its size is not known yet (0).
  void Started() { Post(0, 0); }

  void operator()(uint64_t bytesRead, uint64_t logBytes) {
    const uint64_t step =
        logBytes == 0 || bytesRead >= logBytes ? kProgressSteps : bytesRead * kProgressSteps / logBytes;
    if (step == m_lastStep) return;
    m_lastStep = step;
    Post(bytesRead, logBytes);
  }

 private:
  void Post(uint64_t bytesRead, uint64_t logBytes) {
    ::PostMessage(m_window, WM_STOP_PROGRESS, static_cast<WPARAM>(bytesRead), static_cast<LPARAM>(logBytes));
  }

  HWND m_window;
  uint64_t m_lastStep = 0;
};

}  // namespace

std::string ArchiveFailureText(const StopRequest& request, const std::string& reason) {
  if (!request.archiveName)
    return "Cannot write archive of log file " + request.logPath + ": " + reason + ".";
  return "Cannot write archive " + request.archiveName->archivePath + ": " + reason + ".";
}

StopTask::~StopTask() {
  if (m_worker.joinable()) m_worker.join();
}

void StopTask::Start(StopRequest request) {
  m_request = std::move(request);
  m_outcome = {};
  m_running = true;
  try {
    // The thread's start orders everything written before it (the request,
    // the link's state) before the worker's first step.
    m_worker = std::thread([this] {
      m_outcome = Run(m_request);
      ::PostMessage(m_request.window, WM_STOP_DONE, 0, 0);
    });
  } catch (const std::system_error&) {
    m_outcome = Run(m_request);
    ::PostMessage(m_request.window, WM_STOP_DONE, 0, 0);
  }
}

StopOutcome StopTask::Finish() {
  if (!m_running) return {};
  // The join orders the worker's writes (the outcome, the link's state)
  // before anything this thread does next.
  if (m_worker.joinable()) m_worker.join();
  m_running = false;
  m_request = {};
  return std::exchange(m_outcome, {});
}

StopOutcome StopTask::Run(const StopRequest& request) {
  StopOutcome outcome;
  if (request.link != nullptr) request.link->Close();
  if (request.logFile >= 0) {
    // Written line by line, the log may still lie in the page cache; Stop
    // is where it must reach the disk.
    const bool synced = SyncFile(request.logFile);
    const bool closed = CloseFile(request.logFile);
    if (!synced || !closed) outcome.failureMessages.push_back(request.logWriteFailureText);
  }
  if (request.rawCapture != nullptr && !request.rawCapture->Close())
    outcome.failureMessages.push_back(request.rawCaptureFailureText);
  if (request.logPath.empty()) return outcome;
  if (!request.archiveName) {
    outcome.failureMessages.push_back(
        ArchiveFailureText(request, "the archive's path would be longer than 259 characters"));
    return outcome;
  }
  ProgressPoster poster(request.window);
  poster.Started();
  const LogArchiveResult result =
      WriteLogArchive(*request.archiveName, request.logPath,
                      [&poster](uint64_t bytesRead, uint64_t logBytes) { poster(bytesRead, logBytes); });
  if (!result.written) outcome.failureMessages.push_back(ArchiveFailureText(request, result.failureReason));
  return outcome;
}
