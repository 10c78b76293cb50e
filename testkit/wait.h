// Waiting in tests for state another thread sets: a bounded poll for what
// offers no notification at all. (A child's exit: child_exit.h.)
#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Checks `done` until it holds or timeoutMs have passed; returns done().
// Only for state that cannot be waited on (an atomic another thread sets).
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  constexpr auto kPollInterval = std::chrono::milliseconds(2);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPollInterval);
  return done();
}
