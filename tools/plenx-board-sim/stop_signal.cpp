// The simulator's stop flag and the sleeps that watch it.
#include "stop_signal.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

// Longest a sleep goes without looking at the stop flag.
constexpr std::chrono::milliseconds kStopPollInterval{20};

std::atomic<bool> g_stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

}  // namespace

void RequestStop() { g_stopRequested.store(true); }

bool StopRequested() { return g_stopRequested.load(); }

bool SleepUntil(std::chrono::steady_clock::time_point deadline) {
  using Clock = std::chrono::steady_clock;
  while (!StopRequested()) {
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
      return true;
    }
    std::this_thread::sleep_until(std::min(deadline, now + kStopPollInterval));
  }
  return false;
}
