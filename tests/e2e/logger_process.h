// plenx-logger as a test runs it: a copy in the test's own folder (so a
// configuration file can lie beside it), a private per-user settings
// folder, its standard output and error in files, and a pseudo-terminal
// mapped to a COM port as the control board's line.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "testkit/child_exit.h"
#include "testkit/pty_line.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"
#include "tests/support/scoped_env.h"

extern char** environ;

// Generous: the program may start and stop slowly on a loaded machine under
// sanitizers, and Stop alone waits 2.5 s for the line to fall quiet.
inline constexpr int kProgramTimeoutMs = 30000;

// The folder of one test: the program's copy, its configuration file, the
// per-user settings folder (XDG_CONFIG_HOME while the test runs), and room
// for logs and outputs.
class ProgramFolder {
 public:
  ProgramFolder()
      : m_configHome("XDG_CONFIG_HOME", m_settings.path().c_str()),
        m_runtimeDir("XDG_RUNTIME_DIR", m_runtime.path().c_str()) {
    const std::filesystem::path original = std::string(PLENX_BIN_DIR) + "/plenx-logger";
    std::error_code linkError;
    std::filesystem::create_hard_link(original, Program(), linkError);
    if (linkError) std::filesystem::copy_file(original, Program());
  }

  // The program's copy; the configuration file it reads lies beside it.
  std::string Program() const { return m_files.Path("plenx-logger"); }
  void WriteConfig(std::string_view text) const { m_files.Write("plenx-logger.ini", text); }
  const TempFolder& Files() const { return m_files; }

  // Makes `comPort` ("COM5") lead to `device` through the per-user port link.
  void MapPort(const std::string& comPort, const std::string& device) const {
    const std::filesystem::path ports = std::filesystem::path(m_settings.path()) / "plenx-logger" / "ports";
    std::filesystem::create_directories(ports);
    std::filesystem::create_symlink(device, ports / comPort);
  }

 private:
  TempFolder m_files;
  TempFolder m_settings;
  TempFolder m_runtime;  // Qt wants a private runtime folder
  ScopedEnv m_configHome;
  ScopedEnv m_runtimeDir;
};

// One run of the program, started by the constructor in the test's folder
// (a relative log file name lands there).
class LoggerProcess {
 public:
  LoggerProcess(const ProgramFolder& folder, const std::vector<std::string>& arguments,
                std::string name = "run")
      : m_out(folder.Files().Path(name + ".stdout")), m_err(folder.Files().Path(name + ".stderr")) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addchdir_np(&actions, folder.Files().path().c_str());
    const std::string program = folder.Program();
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, pointers.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~LoggerProcess() {
    if (m_pid > 0 && !m_status) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  LoggerProcess(const LoggerProcess&) = delete;
  LoggerProcess& operator=(const LoggerProcess&) = delete;

  bool Started() const { return m_pid > 0; }
  std::string Out() const { return ReadFileBytes(m_out); }
  std::string Err() const { return ReadFileBytes(m_err); }

  // Waits until standard error holds `text`.
  bool WaitForErr(std::string_view text, int timeoutMs = kProgramTimeoutMs) const {
    return WaitUntil([&] { return Err().find(text) != std::string::npos; }, timeoutMs);
  }
  // Waits until the run has started: the program notes it once Start has
  // set the link's target, so frames sent from then on are all taken.
  bool WaitForRun() const { return WaitForErr(": run started on "); }

  void Signal(int signalNumber) const { kill(m_pid, signalNumber); }
  // The exit status; -1 for a death by signal or no exit within timeoutMs.
  int WaitExit(int timeoutMs = kProgramTimeoutMs) {
    if (!m_status) m_status = WaitChildExit(m_pid, timeoutMs);
    return m_status.value_or(-1);
  }

 private:
  std::string m_out;
  std::string m_err;
  pid_t m_pid = -1;
  std::optional<int> m_status;
};

// The lines of a text, without their ends (LF, and a CR before it).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The blocks of views an unattended run printed, in order (they are
// separated by an empty line).
inline std::vector<std::string> ViewBlocks(const std::string& out) {
  std::vector<std::string> blocks;
  size_t start = 0;
  while (start < out.size()) {
    const size_t end = out.find("\n\n", start);
    blocks.push_back(out.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return blocks;
}
