// The system's clock and a faster one for tests.
#include "upkeep/wall_clock.h"

#include <cmath>

namespace {

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;

timespec FromNanoseconds(std::chrono::nanoseconds time) {
  const int64_t count = time.count();
  // Floor division, so that times before the epoch keep 0 <= tv_nsec < 1 s.
  int64_t seconds = count / kNanosecondsPerSecond;
  int64_t nanoseconds = count % kNanosecondsPerSecond;
  if (nanoseconds < 0) {
    nanoseconds += kNanosecondsPerSecond;
    --seconds;
  }
  return timespec{static_cast<time_t>(seconds), static_cast<long>(nanoseconds)};
}

}  // namespace

timespec SystemWallClock::Now() const {
  return FromNanoseconds(std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::system_clock::now().time_since_epoch()));
}

FastWallClock::FastWallClock(timespec start, double rate)
    : m_origin(std::chrono::steady_clock::now()),
      m_start(std::chrono::seconds(start.tv_sec) + std::chrono::nanoseconds(start.tv_nsec)),
      m_rate(rate) {}

timespec FastWallClock::Now() const {
  const auto elapsed = std::chrono::steady_clock::now() - m_origin;
  const auto scaled = std::chrono::nanoseconds(static_cast<int64_t>(
      std::llround(static_cast<double>(std::chrono::nanoseconds(elapsed).count()) * m_rate)));
  return FromNanoseconds(m_start + scaled);
}
