// A program the broker tests run beside them (the broker, the collector, a
// simulated fleet): started with its output in files, killed or stopped by
// signal, always reaped.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "testkit/child_exit.h"
#include "testkit/temp_folder.h"

extern char** environ;

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Kill(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts argv[0] with standard output and error appended to outputPath.
  bool Start(const std::vector<std::string>& argv, const std::string& outputPath) {
    Kill();
    m_output = outputPath;
    std::vector<char*> pointers;
    for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    if (posix_spawn(&m_pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return m_pid > 0;
  }

  bool Running() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }
  std::string Output() const { return ReadFileBytes(m_output); }

  // kill -9, then reaps it.
  void Kill() { Signal(SIGKILL); }
  // SIGTERM, waiting up to timeoutMs for the exit; its status, or nullopt
  // when it had to be killed.
  std::optional<int> Stop(int timeoutMs = 10'000) {
    if (m_pid <= 0) return std::nullopt;
    kill(m_pid, SIGTERM);
    std::optional<int> status = WaitChildExit(m_pid, timeoutMs);
    if (!status) {
      kill(m_pid, SIGKILL);
      WaitChildExit(m_pid, timeoutMs);
    }
    m_pid = -1;
    return status;
  }
  // Waits for the program to end by itself.
  std::optional<int> Wait(int timeoutMs) {
    if (m_pid <= 0) return std::nullopt;
    std::optional<int> status = WaitChildExit(m_pid, timeoutMs);
    if (status) m_pid = -1;
    return status;
  }

 private:
  void Signal(int signal) {
    if (m_pid <= 0) return;
    kill(m_pid, signal);
    WaitChildExit(m_pid, 10'000);
    m_pid = -1;
  }

  pid_t m_pid = -1;
  std::string m_output;
};
