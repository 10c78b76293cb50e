// The upkeep of a run's log left on site for days, on the log writer's
// thread and a worker of its own: the log flushed to the disk at least once
// a second; at Start a torn last line set aside and interrupted archives
// finished; at the rotation (local midnight, or a size) the log set aside,
// a fresh one opened under its name for the next line, and the closed one
// archived as Stop archives a log, dated with the day it covers; then the
// archives past the days kept removed and the disk's free space guarded.
// Every step that the user should know of is said once, as a RunEvent.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "config/rotation_settings.h"
#include "run/log_file.h"
#include "run/log_upkeep.h"
#include "run/run_event.h"
#include "upkeep/day_file_names.h"
#include "upkeep/disk_guard.h"
#include "upkeep/local_date.h"
#include "upkeep/rotation_policy.h"
#include "upkeep/sync_pacer.h"
#include "upkeep/wall_clock.h"

// How often the writer looks at the clock while no line comes (for a
// midnight without lines) and the guard at the disk's free space.
inline constexpr int kIdleCheckMs = 1000;
inline constexpr int kDiskCheckMs = 10000;
// A daily log with no line since its day ended is closed only after this
// long: a record stamped just before midnight may still be on its way to
// the writer, and belongs in the day it was stamped.
inline constexpr int kIdleRotationGraceMs = 2000;

class DayFileKeeper : public LogUpkeep {
 public:
  using EventSink = std::function<void(RunEvent)>;

  // For the run's log, open (its writer's thread uses it from Begin on).
  // events are said through sink, from the writer's thread or the worker's;
  // stopRawCapture stops the run's raw capture at rawCapturePath (empty:
  // none) when the guard asks for it. clock stamps nothing here, but tells
  // the day while no line comes.
  DayFileKeeper(LogFile& log, const WallClock& clock, const RotationSettings& settings, EventSink sink,
                std::string rawCapturePath, std::function<void()> stopRawCapture);
  // Waits for the worker (Finish).
  ~DayFileKeeper() override;
  DayFileKeeper(const DayFileKeeper&) = delete;
  DayFileKeeper& operator=(const DayFileKeeper&) = delete;

  void Begin() override;
  void BeforeLine(std::string_view line) override;
  void AfterLine(std::string_view line) override;
  std::chrono::steady_clock::time_point NextTick() const override;
  void Tick() override;

  // Once the writer has finished: waits until the worker has archived
  // every closed day file and done its checks.
  void Finish();

  // The date Stop's archive carries: with a rotation, the day the log
  // covers, so that a clock set back never has Stop replace an earlier
  // day's archive; else nothing (the date of Stop). After the writer ended.
  std::optional<LocalDate> ArchiveDay() const;
  // What the guard did during the run (empty: nothing), after Finish.
  std::string GuardSummary() const;

 private:
  LocalDate Today() const;
  // The day line is stamped with (its "YYYY/MM/DD" start); today when it
  // has none.
  LocalDate StampDay(std::string_view line) const;
  // Closes the log for the day file of the policy's day, opens a fresh one
  // and has the worker archive the closed one; newDay is the fresh file's.
  void Rotate(const LocalDate& newDay);
  // The rotation did not happen: said once, and the file goes on covering
  // newDay too, so that the next try comes at the next rotation.
  void RotationFailed(const LocalDate& newDay, const std::string& message, int error);
  void ArchiveClosedFile(const DayTag& tag, int closedFd);
  void ApplyRetention();
  void CheckDisk();

  // Runs job on the worker, after those queued before it.
  void Post(std::function<void()> job);
  void WorkLoop();

  LogFile& m_log;
  const std::string m_logPath;  // absolute
  const WallClock& m_clock;
  const RotationSettings m_settings;
  const EventSink m_sink;
  const std::string m_rawCapturePath;
  const std::function<void()> m_stopRawCapture;
  // The day when the keeper was made, before the run stamped any record:
  // the day of an empty log's first file, which no line queued before Begin
  // can precede.
  const LocalDate m_startDay;

  // The writer's thread's own.
  RotationPolicy m_policy;
  SyncPacer m_pacer;
  std::chrono::steady_clock::time_point m_nextDiskCheck;
  // Since when the day has been over without a line; nothing while lines
  // come or the day goes on.
  std::optional<std::chrono::steady_clock::time_point> m_idleDueSince;
  bool m_rotationFailureSaid = false;

  // The worker's own (and Finish's after the join).
  DiskGuard m_guard;
  bool m_archiveFailureSaid = false;

  std::mutex m_workMutex;
  std::condition_variable m_workWake;
  std::deque<std::function<void()>> m_jobs;  // guarded by m_workMutex
  bool m_workEnding = false;                 // guarded by m_workMutex
  bool m_diskCheckQueued = false;            // guarded by m_workMutex
  std::thread m_worker;
};
