// plenx-logger unattended through a replugged adapter: the run goes on, the
// standard error output says when the line was lost and back, and the raw
// capture (--raw) decodes with plenx-decode to exactly the logged records.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/persisted_settings.h"
#include "link/frame_encoder.h"
#include "testkit/child_exit.h"
#include "testkit/pty_line.h"
#include "testkit/run_command.h"
#include "testkit/wait.h"
#include "tests/app/dialog_probe.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(PLENX_BIN_DIR) + "/plenx-logger";
const std::string kDecoder = std::string(PLENX_BIN_DIR) + "/plenx-decode";
// Generous: the program may start slowly on a loaded machine under sanitizers.
constexpr int kProgramTimeoutMs = 20000;
constexpr auto kFramePeriod = std::chrono::milliseconds(100);

// Starts the program with `arguments`, its standard error going to errPath;
// its process id, or -1.
pid_t Spawn(const std::vector<std::string>& arguments, const std::string& errPath) {
  std::vector<char*> argv{const_cast<char*>(kProgram.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = -1;
  const bool started = posix_spawn(&pid, kProgram.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started ? pid : -1;
}

size_t LineCount(const std::string& path) {
  const std::string text = ReadFileBytes(path);
  size_t lines = 0;
  for (const char c : text) lines += c == '\n';
  return lines;
}

size_t Count(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

bool Contains(const std::string& path, const std::string& piece) {
  return ReadFileBytes(path).find(piece) != std::string::npos;
}

// The bytes of line's last frames are all read by the program.
bool AllRead(const PtyLine& line) {
  int unread = -1;
  return ioctl(line.HeldSlave(), TIOCINQ, &unread) == 0 && unread == 0;
}

// Ends the program should a test stop before it has ended it in order.
class ChildGuard {
 public:
  explicit ChildGuard(pid_t pid) : m_pid(pid) {}
  ~ChildGuard() {
    if (m_pid > 0 && !WaitChildExit(m_pid, 0)) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  ChildGuard(const ChildGuard&) = delete;
  ChildGuard& operator=(const ChildGuard&) = delete;
  void Reaped() { m_pid = -1; }

 private:
  pid_t m_pid;
};

using FieldProgramTest = DialogTest;  // for its own settings folder

TEST_F(FieldProgramTest, HeadlessRunSurvivesAReplugAndItsRawCaptureDecodesToTheLog) {
  const fs::path ports = fs::path(m_settings.path()) / "plenx-logger" / "ports";
  fs::create_directories(ports);
  // Points COM5 at device in one step, as `ln -sfn` does.
  auto plug = [&ports](const std::string& device) {
    fs::create_symlink(device, ports / "COM5.next");
    fs::rename(ports / "COM5.next", ports / "COM5");
  };
  PtyLine first;
  ASSERT_TRUE(first.Valid());
  plug(first.SlavePath());
  WritePortSetting("COM5");
  const std::string log = m_files.Path("night.log");
  const std::string capture = m_files.Path("night.bin");
  const std::string errors = m_files.Path("stderr.txt");
  WriteLogFileSetting(log);

  const pid_t pid = Spawn({"--headless", "--start", "--raw", capture}, errors);
  ASSERT_GT(pid, 0);
  ChildGuard child(pid);
  std::vector<int16_t> values(229, 0);
  int seq = 0;
  // Sends frames as a board does until the next one is logged.
  auto sendUntilLogged = [&](PtyLine& line, size_t loggedBefore) {
    for (int sent = 0; sent * kFramePeriod.count() < kProgramTimeoutMs; ++sent) {
      values[0] = static_cast<int16_t>(++seq);
      line.Write(EncodeFrame(seq % 5, values));
      if (WaitUntil([&] { return LineCount(log) > loggedBefore; }, kFramePeriod.count())) return true;
    }
    return false;
  };
  ASSERT_TRUE(sendUntilLogged(first, 0));
  // Unplugged between two frames (a frame cut in two is the link tests'
  // business): every byte sent has been read.
  ASSERT_TRUE(WaitUntil([&] { return AllRead(first); }, kProgramTimeoutMs));
  plug(m_files.Path("no-adapter"));
  first.HangUp();
  ASSERT_TRUE(WaitUntil([&] { return Contains(errors, " COM5: line lost (hung up)"); }, kProgramTimeoutMs))
      << ReadFileBytes(errors);
  PtyLine second;
  ASSERT_TRUE(second.Valid());
  plug(second.SlavePath());
  ASSERT_TRUE(WaitUntil([&] { return Contains(errors, " COM5: line back"); }, kProgramTimeoutMs))
      << ReadFileBytes(errors);
  const size_t loggedBeforeReplug = LineCount(log);
  ASSERT_TRUE(sendUntilLogged(second, loggedBeforeReplug));
  ASSERT_TRUE(WaitUntil([&] { return AllRead(second); }, kProgramTimeoutMs));
  kill(pid, SIGTERM);
  const std::optional<int> status = WaitChildExit(pid, kProgramTimeoutMs);
  if (status) child.Reaped();
  ASSERT_EQ(status, 0) << ReadFileBytes(errors);

  // After the run's start, one line each for the loss and the return, the
  // summary at the end, and no message box.
  const std::string errorText = ReadFileBytes(errors);
  EXPECT_EQ(Count(errorText, "plenx-logger: "), 4u) << errorText;
  EXPECT_EQ(Count(errorText, ": run ended: "), 1u) << errorText;
  EXPECT_EQ(Count(errorText, ": run started on "), 1u) << errorText;
  EXPECT_EQ(Count(errorText, ": line lost"), 1u) << errorText;
  const CommandResult decoded = RunCommand(kDecoder + " '" + capture + "'");
  ASSERT_EQ(decoded.exitCode, 0);
  std::string decodedRecords;
  for (size_t start = 0; start < decoded.output.size();) {
    const size_t end = decoded.output.find('\n', start);
    const size_t tab = decoded.output.find('\t', start);
    decodedRecords += decoded.output.substr(tab + 1, end - tab - 1) + "\n";
    start = end + 1;
  }
  std::string loggedRecords;
  const std::string logText = ReadFileBytes(log);
  constexpr std::string_view kSeparator = "   -   ";
  for (size_t start = 0; start < logText.size();) {
    const size_t end = logText.find("\r\n", start);
    const size_t text = logText.find(kSeparator, start) + kSeparator.size();
    loggedRecords += logText.substr(text, end - text) + "\n";
    start = end + 2;
  }
  EXPECT_GT(LineCount(log), loggedBeforeReplug);
  EXPECT_EQ(decodedRecords, loggedRecords);
}

}  // namespace
