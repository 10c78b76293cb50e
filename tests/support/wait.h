// Waiting in tests for something another thread or process does: an exit
// through its pidfd, which wakes the test as soon as it happens, and a
// bounded poll for state that offers no notification at all.
#pragma once

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

// Checks `done` until it holds or timeoutMs have passed; returns done().
// Only for state that cannot be waited on (an atomic another thread sets).
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  constexpr auto kPollInterval = std::chrono::milliseconds(2);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPollInterval);
  return done();
}

// Waits for child process pid to end and reaps it. Its exit status, -1 when
// a signal ended it, nullopt when it still runs after timeoutMs (or cannot
// be waited for); a child still running is left running.
inline std::optional<int> WaitChildExit(pid_t pid, int timeoutMs) {
  // Through syscall: Debian 12's <sys/pidfd.h> lacks C linkage for C++.
  const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (process < 0) return std::nullopt;
  pollfd ended{process, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&ended, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  close(process);
  int status = 0;
  if (ready <= 0 || waitpid(pid, &status, 0) != pid) return std::nullopt;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
