// The pace of a replayed log: when each record is due on the wall clock,
// and when the line counts as quiet, from the records' time stamps and a
// chosen speed.
//
// The pacer keeps a replay clock that reads recorded time: it starts at the
// first record's stamp and runs `speed` times as fast as the wall clock,
// and stands still while paused. A record is due once the replay clock has
// reached its stamp. The banner is due once the replay clock lies
// kQuietLineMs past the last record shown, which is what the live watchdog
// does with a wall clock; so a recorded gap of more than 10 s shows the
// banner after 10 s / speed, and pausing freezes it as well.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/local_time.h"

// Recorded time without a record after which the line counts as quiet.
inline constexpr int64_t kQuietLineMs = 10000;
// Speed 0: every record is due at once, and the banner never shows.
inline constexpr double kAsFastAsPossible = 0.0;

// A monotonic clock in milliseconds; the program uses the steady clock,
// tests a clock they move by hand.
class ReplayClock {
 public:
  virtual ~ReplayClock() = default;
  virtual int64_t NowMs() const = 0;
};

// std::chrono::steady_clock in milliseconds.
class SteadyReplayClock : public ReplayClock {
 public:
  int64_t NowMs() const override;
};

// Milliseconds from a fixed day to time, counting every day as 24 hours
// (the log's local stamps carry no zone; a clock change shows as a jump).
int64_t RecordedMs(const LocalTime& time);

class ReplayPacer {
 public:
  // speed: recorded milliseconds per wall-clock millisecond, or
  // kAsFastAsPossible. A negative speed counts as kAsFastAsPossible.
  ReplayPacer(const ReplayClock& clock, double speed);

  // Wall-clock milliseconds until a record stamped `time` is due: 0 when it
  // is due now. Paused, nothing is due (-1). The first record and a record
  // stamped earlier than the one before (the clock was set back) are due at
  // once.
  int64_t WaitForRecord(const LocalTime& time) const;
  // The record stamped `time` was shown: it is the position, and the quiet
  // line is measured from it. After a clock set back, the replay clock
  // continues from this stamp.
  void Shown(const LocalTime& time);

  // True once the replay clock lies kQuietLineMs or more past the last
  // record shown (never before the first record, nor at kAsFastAsPossible).
  bool IsLineQuiet() const;
  // Wall-clock milliseconds until IsLineQuiet turns true; -1 when it is true
  // already, or cannot turn true (paused, speed 0, no record shown yet).
  int64_t WaitForQuietLine() const;

  // Changes the speed from now on; the replay clock keeps its reading.
  void SetSpeed(double speed);
  double Speed() const { return m_speed; }
  void Pause();
  void Resume();
  bool IsPaused() const { return m_paused; }

  // The stamp of the last record shown, if any.
  const std::optional<LocalTime>& Position() const { return m_position; }

 private:
  // The replay clock's reading now, in RecordedMs.
  int64_t ReplayNowMs() const;
  // Starts the replay clock again at recordedMs, now.
  void Rebase(int64_t recordedMs);
  // Wall-clock milliseconds for the replay clock to reach recordedMs.
  int64_t WallMsUntil(int64_t recordedMs) const;

  const ReplayClock& m_clock;
  double m_speed;
  bool m_paused = false;
  // The replay clock read m_baseRecordedMs at wall time m_baseWallMs.
  int64_t m_baseRecordedMs = 0;
  int64_t m_baseWallMs = 0;
  std::optional<LocalTime> m_position;
  int64_t m_positionMs = 0;
};
