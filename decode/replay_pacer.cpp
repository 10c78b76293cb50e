// The replay clock: recorded time running at a chosen speed.
#include "decode/replay_pacer.h"

#include <chrono>
#include <cmath>

namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr int64_t kMsPerDay = 24 * kMsPerHour;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

int64_t SteadyReplayClock::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t RecordedMs(const LocalTime& time) {
  return DaysFromCivil(time.year, time.month, time.day) * kMsPerDay + time.hour * kMsPerHour +
         time.minute * kMsPerMinute + time.second * kMsPerSecond + time.milliseconds;
}

ReplayPacer::ReplayPacer(const ReplayClock& clock, double speed)
    : m_clock(clock), m_speed(speed > 0 ? speed : kAsFastAsPossible) {}

int64_t ReplayPacer::ReplayNowMs() const {
  if (m_paused || m_speed == kAsFastAsPossible) return m_baseRecordedMs;
  const double elapsedWallMs = static_cast<double>(m_clock.NowMs() - m_baseWallMs);
  return m_baseRecordedMs + static_cast<int64_t>(std::floor(elapsedWallMs * m_speed));
}

void ReplayPacer::Rebase(int64_t recordedMs) {
  m_baseRecordedMs = recordedMs;
  m_baseWallMs = m_clock.NowMs();
}

int64_t ReplayPacer::WallMsUntil(int64_t recordedMs) const {
  const int64_t ahead = recordedMs - ReplayNowMs();
  if (ahead <= 0) return 0;
  // Rounded up: woken earlier, the record would not be due yet.
  return static_cast<int64_t>(std::ceil(static_cast<double>(ahead) / m_speed));
}

int64_t ReplayPacer::WaitForRecord(const LocalTime& time) const {
  if (m_paused) return -1;
  if (!m_position || m_speed == kAsFastAsPossible) return 0;
  const int64_t stamp = RecordedMs(time);
  if (stamp < m_positionMs) return 0;
  return WallMsUntil(stamp);
}

void ReplayPacer::Shown(const LocalTime& time) {
  const int64_t stamp = RecordedMs(time);
  // The replay clock starts at the first stamp, restarts at a stamp set
  // back, and at speed 0 simply follows the records.
  if (!m_position || stamp < m_positionMs || m_speed == kAsFastAsPossible) Rebase(stamp);
  m_position = time;
  m_positionMs = stamp;
}

bool ReplayPacer::IsLineQuiet() const {
  if (!m_position || m_speed == kAsFastAsPossible) return false;
  return ReplayNowMs() - m_positionMs >= kQuietLineMs;
}

int64_t ReplayPacer::WaitForQuietLine() const {
  if (!m_position || m_paused || m_speed == kAsFastAsPossible || IsLineQuiet()) return -1;
  return WallMsUntil(m_positionMs + kQuietLineMs);
}

void ReplayPacer::SetSpeed(double speed) {
  const int64_t reading = ReplayNowMs();
  m_speed = speed > 0 ? speed : kAsFastAsPossible;
  Rebase(reading);
}

void ReplayPacer::Pause() {
  if (m_paused) return;
  const int64_t reading = ReplayNowMs();
  m_paused = true;
  Rebase(reading);
}

void ReplayPacer::Resume() {
  if (!m_paused) return;
  m_paused = false;
  Rebase(m_baseRecordedMs);
}
