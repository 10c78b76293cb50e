// plenx-board-sim as a test runs it: the control board on a pseudo-terminal
// of its own, sending a simulated installation until the test ends.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "testkit/child_exit.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"
#include "tests/e2e/logger_process.h"

class BoardSim {
 public:
  // extraArguments follow the usual ones ("--scenario", "compressor-trip").
  explicit BoardSim(const TempFolder& folder, const std::vector<std::string>& extraArguments = {})
      : m_out(folder.Path("sim.stdout")) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> argv = {std::string(PLENX_BIN_DIR) + "/plenx-board-sim", "--pty", "--seed", "7"};
    argv.insert(argv.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (posix_spawn(&m_pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~BoardSim() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    if (!WaitChildExit(m_pid, kProgramTimeoutMs)) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  BoardSim(const BoardSim&) = delete;
  BoardSim& operator=(const BoardSim&) = delete;

  // The pseudo-terminal it sends on, from the first line it prints; empty
  // when it printed none in time.
  std::string Device() const {
    std::string device;
    WaitUntil(
        [&] {
          const std::vector<std::string> lines = Lines(ReadFileBytes(m_out));
          if (lines.empty() || ReadFileBytes(m_out).back() != '\n') return false;
          device = lines[0];
          return true;
        },
        kProgramTimeoutMs);
    return device;
  }

 private:
  std::string m_out;
  pid_t m_pid = -1;
};
