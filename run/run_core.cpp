// The run: its start, its record path, its watchdog, its replay and its end.
#include "run/run_core.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

#include "archive/log_archive.h"
#include "archive/log_archive_name.h"
#include "config/persisted_settings.h"
#include "decode/log_line.h"
#include "decode/time_stamp.h"
#include "link/frame_format.h"
#include "platform/append_file.h"
#include "platform/full_path.h"
#include "platform/posix_io.h"
#include "platform/serial_port_name.h"
#include "platform/system_error_text.h"
#include "run/run_messages.h"

namespace {

// Archive progress is reported in steps of one part in this many of the log.
constexpr uint64_t kProgressSteps = 1000;
// Appended to the log file's name to name its raw capture.
constexpr std::string_view kRawCaptureSuffix = ".raw";

int64_t SteadyNowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Passes questions on and keeps the error a log that cannot be opened shows,
// so that Start returns it instead.
class KeptError : public UserPrompt {
 public:
  explicit KeptError(UserPrompt& asked) : m_asked(asked) {}
  PromptAnswer AskYesNoCancel(const std::string& text, const std::string& caption) override {
    return m_asked.AskYesNoCancel(text, caption);
  }
  void ShowError(const std::string& text) override { error = text; }

  std::string error;

 private:
  UserPrompt& m_asked;
};

// Starts thread running run, or says it could not.
template <typename Run>
bool StartThread(std::thread& thread, Run&& run) {
  try {
    thread = std::thread(std::forward<Run>(run));
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

RunEvent MakeEvent(RunEventKind kind, std::string path = {}, std::string message = {}) {
  RunEvent event;
  event.kind = kind;
  event.path = std::move(path);
  event.message = std::move(message);
  return event;
}

// "Cannot write archive <path>: <reason>.", or for an archive whose path
// would not fit the 260-byte path buffer, the same for the log's name.
std::string ArchiveFailureText(const std::optional<LogArchiveName>& name, const std::string& logPath,
                               const std::string& reason) {
  if (!name) return "Cannot write archive of log file " + logPath + ": " + reason + ".";
  return "Cannot write archive " + name->archivePath + ": " + reason + ".";
}

}  // namespace

std::string RawCapturePathFor(const LoggerConfig& config, const std::string& logPath,
                              const std::optional<std::string>& chosen) {
  if (chosen) return *chosen;
  if (!config.rawCapture || logPath.empty()) return {};
  return logPath + std::string(kRawCaptureSuffix);
}

RunCore::RunCore(LoggerConfig config, std::string configPath, RunTimings timings)
    : m_config(std::move(config)),
      m_configPath(std::move(configPath)),
      m_timings(timings),
      m_layout(std::make_shared<const RunLayout>(MakeRunLayout(m_config))) {
  m_link.SetReopenIntervalMs(m_timings.reopenIntervalMs);
}

RunCore::~RunCore() {
  Stop();
  WaitEnded();
}

void RunCore::Subscribe(RunObserver& face) {
  std::lock_guard dispatch(m_dispatchMutex);
  m_faces.push_back(&face);
}

void RunCore::Unsubscribe(RunObserver& face) {
  std::lock_guard dispatch(m_dispatchMutex);
  std::erase(m_faces, &face);
}

bool RunCore::IsActive() const {
  std::lock_guard state(m_stateMutex);
  return m_phase != Phase::kIdle;
}

void RunCore::WaitEnded() {
  {
    std::unique_lock state(m_stateMutex);
    m_ended.wait(state, [this] { return m_phase == Phase::kIdle; });
  }
  JoinEndedThreads();
}

void RunCore::JoinEndedThreads() {
  if (IsActive()) return;
  // The thread that ended the run may still be handing out its end.
  if (m_stopWorker.joinable()) m_stopWorker.join();
  if (m_replayThread.joinable()) m_replayThread.join();
}

RunStartResult RunCore::Start(const RunRequest& request, UserPrompt& prompt) {
  JoinEndedThreads();
  if (IsActive()) return {RunRefusal::kAlreadyActive, std::string(kAlreadyStartedText)};
  // One append question at most: the log's when the log exists (Yes appends
  // to its raw capture too), else the raw capture's own. Both are asked
  // before either file is created.
  const std::string& rawPath = request.rawCapturePath;
  const bool logExists = !request.logPath.empty() && LogFile::FileExists(request.logPath);
  if (!rawPath.empty() && !logExists && LogFile::FileExists(rawPath) && !AskToAppend(prompt, rawPath))
    return {RunRefusal::kAppendDeclined, {}};
  KeptError logPrompt(prompt);
  if (m_log.OpenLog(logPrompt, request.logPath) == -1) {
    if (logPrompt.error.empty()) return {RunRefusal::kAppendDeclined, {}};
    return {RunRefusal::kLogNotOpened, logPrompt.error};
  }
  if (!rawPath.empty()) {
    const int error = m_rawCapture.Open(rawPath);
    if (error != 0) {
      m_log.DiscardLog();
      return {RunRefusal::kRawCaptureNotOpened, "Cannot open raw capture file " + FullPath(rawPath) + ": " +
                                                    AppendOpenFailureReason(error) + "."};
    }
  }
  // Before any thread of the run exists, which the record path then uses alone.
  m_decoder = std::make_unique<RunRecordDecoder>(m_layout);
  m_watchStop = false;
  m_lastRecordNs = SteadyNowNs();
  m_lastExpiryNs = m_lastRecordNs;
  // The run's threads: without one of them no run can start.
  const bool writing =
      !m_log.IsOpen() || m_logWriter.Start(m_log, [this](const RunEvent& event) { Announce(event); });
  const bool watching = writing && StartThread(m_watchdog, [this] { WatchdogLoop(); });
  // Load bounds the layout to what a frame can carry, which fits an int.
  m_link.SetValueCount(static_cast<int>(m_config.ValuesPerRecord()));
  m_link.SetPortName(request.portName);
  m_link.SetRawCapture(m_rawCapture.IsOpen() ? &m_rawCapture : nullptr);
  m_link.SetTarget(this, WM_LINK_RECORD);
  {
    // The link opens under the dispatch lock: a frame its reader completes
    // at once waits until every face has been told the run started.
    std::lock_guard dispatch(m_dispatchMutex);
    if (!watching || m_link.Open() != 0) {
      const int openError = watching ? m_link.LastOpenError() : EAGAIN;
      {
        std::lock_guard watch(m_watchMutex);
        m_watchStop = true;
      }
      m_watchWake.notify_all();
      if (m_watchdog.joinable()) m_watchdog.join();
      m_logWriter.Finish();
      // Not left open, nor left behind empty: the next Start opens the same
      // files again, without asking to append to files it made itself.
      m_rawCapture.Discard();
      m_log.DiscardLog();
      return {RunRefusal::kPortNotOpened, PortOpenFailureText(m_link.PortName(), openError)};
    }
    m_request = request;
    {
      std::lock_guard state(m_stateMutex);
      m_phase = Phase::kLive;
    }
    RunStart start;
    start.portName = request.portName;
    start.devicePath = ResolveSerialDevicePath(m_link.PortName());
    start.logPath = request.logPath;
    start.rawCapturePath = rawPath;
    BeginLocked(std::move(start));
    // No record yet: the banner shows from Start.
    m_lineQuiet = true;
    AnnounceLocked(MakeEvent(RunEventKind::kLineQuiet));
  }
  if (request.rememberChoices) {
    WritePortSetting(request.portName);
    WriteLogFileSetting(request.logPath);
  }
  return {};
}

void RunCore::BeginLocked(RunStart start) {
  m_sequence = 0;
  m_logCounter = 0;
  m_lineQuiet = false;
  m_lineLost = false;
  m_noFrameMatches = false;
  m_tooShortSaid = false;
  m_layoutMismatchSaid = false;
  m_bytesAtWatch = m_link.BytesRead();
  start.layout = m_layout;
  start.time = ReadLocalTime();
  start.timeMs = WallClockMs(start.time);
  for (RunObserver* face : m_faces) face->OnRunStarted(start);
}

bool RunCore::PostRecord(uint32_t, std::unique_ptr<std::string> recordText, int unitIndex) {
  auto record = std::make_shared<RunRecord>();
  // Stamped once, as it is taken; every face and the log get this time.
  record->time = ReadLocalTime();
  record->timeMs = WallClockMs(record->time);
  record->text = std::move(*recordText);
  record->unitIndex = unitIndex;
  TakeRecord(std::move(record));
  return true;
}

void RunCore::TakeRecord(std::shared_ptr<RunRecord> record) {
  // Outside the lock: only the record path's one thread decodes.
  m_decoder->Decode(*record);
  std::lock_guard dispatch(m_dispatchMutex);
  record->sequence = ++m_sequence;
  if (!record->replayed) {
    m_lastRecordNs = SteadyNowNs();
    m_bytesAtWatch = m_link.BytesRead();
    if (!m_request.logPath.empty()) {
      record->logged = IsRecordLogged(m_logCounter, m_config.logEvery);
      // Wraps to the lowest value after the highest instead of overflowing.
      m_logCounter = static_cast<int32_t>(static_cast<uint32_t>(m_logCounter) + 1u);
    }
  }
  if (m_lineQuiet) {
    m_lineQuiet = false;
    AnnounceLocked(MakeEvent(RunEventKind::kLineReceiving));
  }
  if (m_noFrameMatches) {
    m_noFrameMatches = false;
    AnnounceLocked(MakeEvent(RunEventKind::kFramesMatch, ResolveSerialDevicePath(m_link.PortName())));
  }
  if (record->logged) m_logWriter.Add(FormatLogLine(record->time, record->text));
  const std::shared_ptr<const RunRecord> shared = std::move(record);
  for (RunObserver* face : m_faces) face->OnRecord(shared);
  if (shared->missingPosition < 0) {
    m_tooShortSaid = false;
  } else if (!m_tooShortSaid) {
    m_tooShortSaid = true;
    AnnounceLocked(MakeEvent(RunEventKind::kRecordTooShort, {}, std::string(kImproperArgumentText)));
  }
}

bool RunCore::PostLinkEvent(LinkEvent linkEvent, int error) {
  RunEvent event;
  event.error = error;
  event.path = ResolveSerialDevicePath(m_link.PortName());
  std::lock_guard dispatch(m_dispatchMutex);
  switch (linkEvent) {
    case LinkEvent::kLineLost:
      m_lineLost = true;
      event.kind = RunEventKind::kLineLost;
      event.message = LineLostText(m_request.portName, error);
      break;
    case LinkEvent::kLineBack:
      m_lineLost = false;
      event.kind = RunEventKind::kLineBack;
      event.message = LineBackText(m_request.portName);
      break;
    case LinkEvent::kRawCaptureFailed:
      event.kind = RunEventKind::kRawCaptureFailed;
      event.path = m_rawCapture.FullPath();
      event.message = "Disk full while accessing " + m_rawCapture.FullPath() + ".";
      break;
    case LinkEvent::kRawCaptureResumed:
      event.kind = RunEventKind::kRawCaptureResumed;
      event.path = m_rawCapture.FullPath();
      break;
  }
  AnnounceLocked(std::move(event));
  return true;
}

void RunCore::AnnounceLocked(RunEvent event) {
  event.time = ReadLocalTime();
  event.timeMs = WallClockMs(event.time);
  for (RunObserver* face : m_faces) face->OnRunEvent(event);
}

void RunCore::Announce(RunEvent event) {
  std::lock_guard dispatch(m_dispatchMutex);
  AnnounceLocked(std::move(event));
}

void RunCore::WatchdogLoop() {
  const int64_t periodNs = int64_t{m_timings.watchdogMs} * 1000000;
  std::unique_lock watch(m_watchMutex);
  while (!m_watchStop) {
    // A record moves the deadline on; the wait that ends at the old one
    // then finds nothing expired and waits again.
    const int64_t sinceNs = std::max(m_lastRecordNs.load(), m_lastExpiryNs);
    const std::chrono::steady_clock::time_point deadline{std::chrono::nanoseconds(sinceNs + periodNs)};
    if (m_watchWake.wait_until(watch, deadline, [this] { return m_watchStop; })) break;
    watch.unlock();
    {
      std::lock_guard dispatch(m_dispatchMutex);
      const int64_t nowNs = SteadyNowNs();
      if (nowNs - std::max(m_lastRecordNs.load(), m_lastExpiryNs) >= periodNs) {
        WatchdogExpiredLocked();
        m_lastExpiryNs = nowNs;
      }
    }
    watch.lock();
  }
}

void RunCore::WatchdogExpiredLocked() {
  if (!m_lineQuiet) {
    m_lineQuiet = true;
    AnnounceLocked(MakeEvent(RunEventKind::kLineQuiet));
  }
  // More than a frame's bytes came in the watchdog's time and none of them
  // made a frame: the board sends another layout than the configured one.
  // A frame cut short by a silence or an unplugging is shorter than that.
  const uint64_t bytesRead = m_link.BytesRead();
  const auto frameBytes = static_cast<uint64_t>(plenx::frame::FrameBytes(m_config.ValuesPerRecord()));
  if (!m_lineLost && !m_noFrameMatches && bytesRead - m_bytesAtWatch >= frameBytes) {
    m_noFrameMatches = true;
    AnnounceLocked(MakeEvent(RunEventKind::kNoFrameMatches, ResolveSerialDevicePath(m_link.PortName()),
                             NoFrameMatchesText(m_request.portName, m_config, m_configPath)));
  }
  m_bytesAtWatch = bytesRead;
}

void RunCore::Stop() {
  // The archive is named from the date of Stop, not of its end.
  const LocalTime stopTime = ReadLocalTime();
  bool stopLive = false;
  bool stopReplay = false;
  {
    std::lock_guard state(m_stateMutex);
    stopLive = m_phase == Phase::kLive;
    stopReplay = m_phase == Phase::kReplay;
    if (stopLive || stopReplay) m_phase = Phase::kStopping;
  }
  if (stopReplay) {
    {
      std::lock_guard replay(m_replayMutex);
      m_replayStop = true;
    }
    m_replayWake.notify_all();
  }
  if (stopLive && !StartThread(m_stopWorker, [this, stopTime] { StopLive(stopTime); })) StopLive(stopTime);
}

void RunCore::StopLive(LocalTime stopTime) {
  // The records the reader completed before it ended are all handed out by
  // the time Close returns, so the log holds every record whose bytes the
  // raw capture holds.
  m_link.Close();
  {
    std::lock_guard watch(m_watchMutex);
    m_watchStop = true;
  }
  m_watchWake.notify_all();
  m_watchdog.join();
  RunEnd end;
  end.linesNotLogged = m_logWriter.Finish();
  // Written line by line, the log may still lie in the page cache; Stop is
  // where it must reach the disk.
  if (const int fd = m_log.ReleaseFile(); fd >= 0) {
    const bool synced = SyncFile(fd);
    const bool closed = CloseFile(fd);
    if (!synced || !closed) end.failureMessages.push_back(m_log.WriteFailureText());
  }
  if (m_rawCapture.IsOpen() && !m_rawCapture.Close())
    end.failureMessages.push_back("Disk full while accessing " + m_rawCapture.FullPath() + ".");
  const std::string& logPath = m_request.logPath;
  if (!logPath.empty()) {
    const std::optional<LogArchiveName> name = LogArchiveNameFor(logPath, stopTime);
    if (!name) {
      end.failureMessages.push_back(
          ArchiveFailureText(name, logPath, "the archive's path would be longer than 259 characters"));
    } else {
      RunEvent progress = MakeEvent(RunEventKind::kArchiveProgress, name->archivePath);
      // Once as the archive starts (the log's size not known yet), then at
      // every step.
      Announce(progress);
      uint64_t lastStep = 0;
      const LogArchiveResult result =
          WriteLogArchive(*name, logPath, [&](uint64_t bytesRead, uint64_t logBytes) {
            const uint64_t step = logBytes == 0 || bytesRead >= logBytes
                                      ? kProgressSteps
                                      : bytesRead * kProgressSteps / logBytes;
            if (step == lastStep) return;
            lastStep = step;
            progress.count = bytesRead;
            progress.total = logBytes;
            Announce(progress);
          });
      if (result.written) {
        end.archivePath = name->archivePath;
      } else {
        end.failureMessages.push_back(ArchiveFailureText(name, logPath, result.failureReason));
      }
    }
  }
  Finish(std::move(end));
}

void RunCore::Finish(RunEnd end) {
  std::lock_guard dispatch(m_dispatchMutex);
  end.records = m_sequence;
  end.time = ReadLocalTime();
  end.timeMs = WallClockMs(end.time);
  {
    // Idle before any face hears of the end, so that what a face starts
    // from it (a window's next Start) finds the run ended.
    std::lock_guard state(m_stateMutex);
    m_phase = Phase::kIdle;
  }
  m_ended.notify_all();
  for (RunObserver* face : m_faces) face->OnRunEnded(end);
}

RunStartResult RunCore::StartReplay(const std::string& path, double speed) {
  JoinEndedThreads();
  if (IsActive()) return {RunRefusal::kAlreadyActive, std::string(kAlreadyStartedText)};
  auto replay =
      std::make_unique<LogReplay>(m_replayClock, speed, m_config.ValuesPerRecord(), LayoutText(m_config));
  if (!replay->Open(path)) {
    const int error = errno;
    return {RunRefusal::kReplayNotOpened,
            "Cannot open log file " + FullPath(path) + ": " + SystemErrorText(error) + "."};
  }
  m_decoder = std::make_unique<RunRecordDecoder>(m_layout);
  {
    std::lock_guard replayLock(m_replayMutex);
    m_replay = std::move(replay);
    m_replayPath = path;
    m_replayStop = false;
    m_replayControlsChanged = false;
  }
  bool reading = false;
  {
    std::lock_guard dispatch(m_dispatchMutex);
    m_request = RunRequest{};
    {
      std::lock_guard state(m_stateMutex);
      m_phase = Phase::kReplay;
    }
    RunStart start;
    start.replay = true;
    start.replayPath = path;
    BeginLocked(std::move(start));
    reading = StartThread(m_replayThread, [this] { ReplayLoop(); });
  }
  if (!reading) {
    // The faces have had the start; they get its end at once.
    RunEnd end;
    end.replayFailed = true;
    end.failureMessages.push_back("Cannot read log file " + FullPath(path) + ": " + SystemErrorText(EAGAIN) +
                                  ".");
    Finish(std::move(end));
  }
  return {};
}

void RunCore::SetReplaySpeed(double speed) {
  {
    std::lock_guard replay(m_replayMutex);
    if (m_replay == nullptr) return;
    m_replay->Pacer().SetSpeed(speed);
    m_replayControlsChanged = true;
  }
  m_replayWake.notify_all();
}

void RunCore::SetReplayPaused(bool paused) {
  {
    std::lock_guard replay(m_replayMutex);
    if (m_replay == nullptr) return;
    if (paused) {
      m_replay->Pacer().Pause();
    } else {
      m_replay->Pacer().Resume();
    }
    m_replayControlsChanged = true;
  }
  m_replayWake.notify_all();
}

void RunCore::ReportLayoutMismatchLocked() {
  // Records of another layout are skipped by the reader, never shown; the
  // first of them is said once for the whole replay.
  if (m_layoutMismatchSaid || m_replay->Reader().LayoutMismatchCount() == 0) return;
  m_layoutMismatchSaid = true;
  AnnounceLocked(MakeEvent(RunEventKind::kRecordTooShort, {}, std::string(kImproperArgumentText)));
}

void RunCore::ReplayLoop() {
  enum class How { kFinished, kStopped, kReadFailed };
  How how = How::kFinished;
  std::unique_lock replay(m_replayMutex);
  for (;;) {
    if (m_replayStop) {
      how = How::kStopped;
      break;
    }
    LoggedRecord logged;
    const LogReplay::Step step = m_replay->Next(logged);
    if (step == LogReplay::Step::kEnd || step == LogReplay::Step::kReadFailed) {
      how = step == LogReplay::Step::kEnd ? How::kFinished : How::kReadFailed;
      break;
    }
    if (step == LogReplay::Step::kRecord) {
      auto record = std::make_shared<RunRecord>();
      record->time = logged.time;
      record->timeMs = WallClockMs(logged.time);
      record->text = std::move(logged.text);
      record->replayed = true;
      replay.unlock();
      TakeRecord(std::move(record));
      replay.lock();
      std::lock_guard dispatch(m_dispatchMutex);
      ReportLayoutMismatchLocked();
      continue;
    }
    // Nothing due: the banner as the recorded gap has it, then a wait for
    // the next record, the banner, or a change of speed or pause.
    const bool quiet = m_replay->IsLineQuiet();
    const int64_t waitMs = m_replay->WaitMs();
    {
      std::lock_guard dispatch(m_dispatchMutex);
      ReportLayoutMismatchLocked();
      if (quiet != m_lineQuiet) {
        m_lineQuiet = quiet;
        AnnounceLocked(MakeEvent(quiet ? RunEventKind::kLineQuiet : RunEventKind::kLineReceiving));
      }
    }
    const auto woken = [this] { return m_replayStop || m_replayControlsChanged; };
    if (waitMs < 0) {
      m_replayWake.wait(replay, woken);
    } else {
      m_replayWake.wait_for(replay, std::chrono::milliseconds(waitMs), woken);
    }
    m_replayControlsChanged = false;
  }
  RunEnd end;
  {
    std::lock_guard dispatch(m_dispatchMutex);
    ReportLayoutMismatchLocked();
  }
  if (how == How::kReadFailed) {
    end.replayFailed = true;
    end.failureMessages.push_back("Cannot read log file " + FullPath(m_replayPath) + ": " +
                                  SystemErrorText(m_replay->ReadError()) + ".");
  }
  if (how != How::kStopped) {
    const std::string skipped = SkippedLinesReport(m_replay->Reader(), FullPath(m_replayPath));
    if (!skipped.empty()) end.noticeMessages.push_back(skipped);
  }
  replay.unlock();
  Finish(std::move(end));
}
