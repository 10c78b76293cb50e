// The clocks a long run reads: the system's, and the fast one that brings
// midnight every few seconds in tests.
#include "upkeep/wall_clock.h"

#include <gtest/gtest.h>

#include "testkit/wait.h"

namespace {

int64_t Seconds(const timespec& time) { return static_cast<int64_t>(time.tv_sec); }

TEST(WallClock, SystemClockIsTheRealTime) {
  const time_t before = time(nullptr);
  const timespec now = SystemWallClock().Now();
  EXPECT_GE(Seconds(now), before);
  EXPECT_LE(Seconds(now), time(nullptr));
  EXPECT_LT(now.tv_nsec, 1'000'000'000);
}

// A day every 8.64 ms of real time: the clock passes midnight while the
// test waits for it, starting from the moment it was made.
TEST(WallClock, FastClockRunsFromItsStartAtItsRate) {
  const timespec start{1425772790, 500'000'000};  // 2015-03-07 23:59:50.5 UTC
  const FastWallClock clock(start, 1e7);
  const timespec first = clock.Now();
  EXPECT_GE(Seconds(first), Seconds(start));
  EXPECT_TRUE(WaitUntil([&] { return Seconds(clock.Now()) >= 1425772800 + 86400; }, 10000));
  timespec previous = clock.Now();
  for (int i = 0; i < 1000; ++i) {
    const timespec next = clock.Now();
    EXPECT_TRUE(next.tv_sec > previous.tv_sec ||
                (next.tv_sec == previous.tv_sec && next.tv_nsec >= previous.tv_nsec));
    previous = next;
  }
}

}  // namespace
