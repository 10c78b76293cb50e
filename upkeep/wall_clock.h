// Where a long run reads the wall-clock time from: the system's clock, or
// in tests and demonstrations a clock that runs faster, so that midnight
// comes every few seconds without anything waiting for it.
#pragma once

#include <chrono>
#include <ctime>

class WallClock {
 public:
  virtual ~WallClock() = default;
  // The current time, as seconds and nanoseconds since the Unix epoch (what
  // LocalTimeAt turns into local calendar fields). Any thread.
  virtual timespec Now() const = 0;
};

// The system's real-time clock.
class SystemWallClock : public WallClock {
 public:
  timespec Now() const override;
};

// A clock that starts at `start` and runs `rate` times as fast as the
// system's steady clock from the moment it is made: with a rate of 14400 a
// day passes in six seconds. It never goes back, whatever the system's
// clock does.
class FastWallClock : public WallClock {
 public:
  FastWallClock(timespec start, double rate);
  timespec Now() const override;

 private:
  const std::chrono::steady_clock::time_point m_origin;
  const std::chrono::nanoseconds m_start;
  const double m_rate;
};
