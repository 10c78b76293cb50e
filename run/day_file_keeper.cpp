// The log's upkeep on site: flushes, rotation, archives, retention, guard.
#include "run/day_file_keeper.h"

#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/append_file.h"
#include "platform/file_sync.h"
#include "platform/file_tail.h"
#include "platform/folder_files.h"
#include "platform/full_path.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"
#include "upkeep/day_archives.h"
#include "upkeep/day_files.h"
#include "upkeep/log_end.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

// A log line starts with its stamp's date, "YYYY/MM/DD".
constexpr size_t kStampDateBytes = 10;

int64_t SteadyNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now().time_since_epoch()).count();
}

RunEvent MakeEvent(RunEventKind kind, std::string path, std::string message, int error = 0) {
  RunEvent event;
  event.kind = kind;
  event.path = std::move(path);
  event.message = std::move(message);
  event.error = error;
  return event;
}

std::string JoinSentences(const std::vector<std::string>& sentences) {
  std::string text;
  for (const std::string& sentence : sentences) text += (text.empty() ? "" : " ") + sentence;
  return text;
}

}  // namespace

DayFileKeeper::DayFileKeeper(LogFile& log, const WallClock& clock, const RotationSettings& settings,
                             EventSink sink, std::string rawCapturePath, std::function<void()> stopRawCapture)
    : m_log(log),
      m_logPath(log.FullPath()),
      m_clock(clock),
      m_settings(settings),
      m_sink(std::move(sink)),
      m_rawCapturePath(std::move(rawCapturePath)),
      m_stopRawCapture(std::move(stopRawCapture)),
      m_startDay(DateOf(LocalTimeAt(clock.Now()))),
      m_policy(settings),
      m_nextDiskCheck(SteadyClock::now()),
      m_guard(settings.minFreeMB) {}

DayFileKeeper::~DayFileKeeper() { Finish(); }

LocalDate DayFileKeeper::Today() const { return DateOf(LocalTimeAt(m_clock.Now())); }

LocalDate DayFileKeeper::StampDay(std::string_view line) const {
  const std::optional<LocalDate> day = ParseDate(line.substr(0, kStampDateBytes), '/');
  return day ? *day : Today();
}

void DayFileKeeper::Begin() {
  const int fd = m_log.Descriptor();
  // Before the first new line, which must not continue a torn one.
  const TornLineRepair repair = RepairTornLastLine(fd, m_logPath);
  if (!repair.message.empty()) {
    m_sink(MakeEvent(RunEventKind::kLogEndRepaired, m_logPath, repair.message, repair.error));
  }
  // Pending day files first, so that no rotation of this run sets a file
  // aside under the name of one still waiting.
  const DayFileRecovery recovery = RecoverDayFiles(m_logPath);
  if (!recovery.archivesWritten.empty() || !recovery.failureMessages.empty()) {
    std::vector<std::string> sentences;
    for (const std::string& archive : recovery.archivesWritten) {
      sentences.push_back("The archive " + FullPath(archive) +
                          ", cut short when the logger last ended, was written again.");
    }
    sentences.insert(sentences.end(), recovery.failureMessages.begin(), recovery.failureMessages.end());
    m_sink(MakeEvent(RunEventKind::kDayFilesRecovered, m_logPath, JoinSentences(sentences),
                     recovery.failureMessages.empty() ? 0 : EIO));
  }
  m_policy.StartFile(DayOfLastLine(fd).value_or(m_startDay), FileSizeOf(fd).value_or(0));
  Post([this] { ApplyRetention(); });
}

void DayFileKeeper::BeforeLine(std::string_view line) {
  const LocalDate day = StampDay(line);
  if (m_policy.DueBeforeLine(day, line.size())) Rotate(day);
}

void DayFileKeeper::AfterLine(std::string_view line) {
  m_policy.Wrote(StampDay(line), line.size());
  m_pacer.Wrote(SteadyNowMs());
  m_idleDueSince.reset();
}

SteadyClock::time_point DayFileKeeper::NextTick() const {
  SteadyClock::time_point next = SteadyClock::now() + std::chrono::milliseconds(kIdleCheckMs);
  if (const std::optional<int64_t> due = m_pacer.DueAtMs()) {
    const SteadyClock::time_point flush{std::chrono::milliseconds(*due)};
    if (flush < next) next = flush;
  }
  return next;
}

void DayFileKeeper::Tick() {
  if (m_pacer.Due(SteadyNowMs())) {
    // A failed flush loses nothing yet: the lines are in the file, and
    // Stop's own flush reports the disk's failure.
    SyncFileData(m_log.Descriptor());
    m_pacer.Synced();
  }
  const LocalDate today = Today();
  if (!m_policy.DueWhileIdle(today)) {
    m_idleDueSince.reset();
  } else if (!m_idleDueSince) {
    m_idleDueSince = SteadyClock::now();
  } else if (SteadyClock::now() - *m_idleDueSince >= std::chrono::milliseconds(kIdleRotationGraceMs)) {
    m_idleDueSince.reset();
    Rotate(today);
  }
  if (SteadyClock::now() >= m_nextDiskCheck) {
    m_nextDiskCheck = SteadyClock::now() + std::chrono::milliseconds(kDiskCheckMs);
    bool queued = false;
    {
      std::lock_guard lock(m_workMutex);
      queued = std::exchange(m_diskCheckQueued, true);
    }
    if (!queued) Post([this] { CheckDisk(); });
  }
}

void DayFileKeeper::Rotate(const LocalDate& newDay) {
  const DayTag tag = m_settings.rotate == RotationKind::kSize ? NextPieceTag(m_logPath, m_policy.Day())
                                                              : DayTag{m_policy.Day(), 0};
  const std::string pending = PendingDayFilePath(m_logPath, tag);
  // On the disk before its name changes, so that a cut after the rename
  // finds the whole day under the pending name.
  SyncFileData(m_log.Descriptor());
  m_pacer.Synced();
  if (!SetDayFileAside(m_logPath, tag)) {
    const int error = errno;
    RotationFailed(
        newDay,
        "Cannot set the log file " + m_logPath + " aside as " + pending + ": " + SystemErrorText(error) + ".",
        error);
    return;
  }
  const int fresh = OpenLockedForAppend(m_logPath);
  if (fresh < 0) {
    const int error = errno;
    // The day's lines go back under the log's name, where the next line
    // continues them.
    RenameInFolder(pending, m_logPath);
    RotationFailed(newDay,
                   "Cannot open a new log file " + m_logPath + ": " + AppendOpenFailureReason(error) + ".",
                   error);
    return;
  }
  const int closed = m_log.SwapFile(fresh);
  m_policy.StartFile(newDay, 0);
  m_rotationFailureSaid = false;
  Post([this, tag, closed] { ArchiveClosedFile(tag, closed); });
}

void DayFileKeeper::RotationFailed(const LocalDate& newDay, const std::string& message, int error) {
  m_policy.StartFile(newDay, m_policy.FileBytes());
  if (std::exchange(m_rotationFailureSaid, true)) return;
  m_sink(MakeEvent(RunEventKind::kDayArchiveFailed, m_logPath,
                   message + " Logging goes on in it; it is archived with the next day.", error));
}

void DayFileKeeper::ArchiveClosedFile(const DayTag& tag, int closedFd) {
  const LogArchiveResult result = ArchiveDayFile(m_logPath, tag);
  // Held (with its lock) until its archive is whole.
  CloseFile(closedFd);
  const std::optional<LogArchiveName> name = DayArchiveName(m_logPath, tag);
  const std::string archive = name ? FullPath(name->archivePath) : TagText(tag);
  if (result.written) {
    m_archiveFailureSaid = false;
    m_sink(MakeEvent(RunEventKind::kDayArchived, archive,
                     "The log of " + TagText(tag) + " was archived to " + archive + "."));
  } else if (!std::exchange(m_archiveFailureSaid, true)) {
    m_sink(MakeEvent(RunEventKind::kDayArchiveFailed, archive,
                     "Cannot write archive " + archive + ": " + result.failureReason +
                         ". The log it holds waits in " + FullPath(PendingDayFilePath(m_logPath, tag)) +
                         " for the next start.",
                     EIO));
  }
  ApplyRetention();
  CheckDisk();
}

void DayFileKeeper::ApplyRetention() {
  const RetentionResult result = ApplyKeepDays(m_logPath, Today(), m_settings.keepDays);
  if (result.removed.empty() && result.failureMessages.empty()) return;
  std::vector<std::string> sentences;
  if (!result.removed.empty()) {
    std::string removed;
    for (const std::string& path : result.removed) removed += (removed.empty() ? "" : ", ") + NameOf(path);
    sentences.push_back("Removed the archives of " + NameOf(m_logPath) + " older than " +
                        std::to_string(m_settings.keepDays) + " days: " + removed + ".");
  }
  sentences.insert(sentences.end(), result.failureMessages.begin(), result.failureMessages.end());
  RunEvent event = MakeEvent(RunEventKind::kOldArchivesRemoved, m_logPath, JoinSentences(sentences),
                             result.failureMessages.empty() ? 0 : EIO);
  event.count = result.removed.size();
  m_sink(std::move(event));
}

void DayFileKeeper::CheckDisk() {
  {
    std::lock_guard lock(m_workMutex);
    m_diskCheckQueued = false;
  }
  const DiskGuard::Outcome outcome = m_guard.Check(m_logPath, m_rawCapturePath);
  if (outcome.stopRawCapture && m_stopRawCapture) m_stopRawCapture();
  if (outcome.warning.empty()) return;
  RunEvent event = MakeEvent(RunEventKind::kDiskSpaceLow, m_logPath, outcome.warning);
  event.count = outcome.removedArchives.size();
  m_sink(std::move(event));
}

void DayFileKeeper::Post(std::function<void()> job) {
  std::unique_lock lock(m_workMutex);
  if (!m_worker.joinable()) {
    try {
      m_worker = std::thread(&DayFileKeeper::WorkLoop, this);
    } catch (const std::system_error&) {
      // No worker: the job runs here, on the writer's thread.
      lock.unlock();
      job();
      return;
    }
  }
  m_jobs.push_back(std::move(job));
  lock.unlock();
  m_workWake.notify_one();
}

void DayFileKeeper::WorkLoop() {
  std::unique_lock lock(m_workMutex);
  for (;;) {
    m_workWake.wait(lock, [this] { return !m_jobs.empty() || m_workEnding; });
    if (m_jobs.empty()) return;
    std::function<void()> job = std::move(m_jobs.front());
    m_jobs.pop_front();
    lock.unlock();
    job();
    lock.lock();
  }
}

void DayFileKeeper::Finish() {
  {
    std::lock_guard lock(m_workMutex);
    m_workEnding = true;
  }
  m_workWake.notify_one();
  if (m_worker.joinable()) m_worker.join();
}

std::optional<LocalDate> DayFileKeeper::ArchiveDay() const {
  if (m_settings.rotate == RotationKind::kNone) return std::nullopt;
  return m_policy.Day();
}

std::string DayFileKeeper::GuardSummary() const { return m_guard.Summary(m_logPath); }
