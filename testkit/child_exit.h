// Waiting in tests for a child process to end, through its pidfd, which
// wakes the test as soon as it happens (Linux).
#pragma once

#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

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
