// plenx-logger as a program: options, an unattended screenshot and run, and
// an orderly end on SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/log_archive_name.h"
#include "config/persisted_settings.h"
#include "link/frame_encoder.h"
#include "tests/app/dialog_probe.h"
#include "tests/link/pty_line.h"
#include "tests/support/wait.h"

extern char** environ;

namespace {

const std::string kProgram = std::string(PLENX_BIN_DIR) + "/plenx-logger";

// Starts the program with `arguments`; its process id, or -1.
pid_t Spawn(const std::vector<std::string>& arguments) {
  std::vector<char*> argv{const_cast<char*>(kProgram.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawn(&pid, kProgram.c_str(), nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Generous: the program may start slowly on a loaded machine under sanitizers.
constexpr int kProgramTimeoutMs = 20000;

// The exit status, -1 for a signal death or more than `timeoutMs`.
int WaitExit(pid_t pid, int timeoutMs = kProgramTimeoutMs) {
  if (const std::optional<int> status = WaitChildExit(pid, timeoutMs)) return *status;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// True once process pid has a handler for `signalNumber` (its SigCgt mask in
// /proc/<pid>/status); false before, or when the process is gone.
bool CatchesSignal(pid_t pid, int signalNumber) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  constexpr std::string_view kCaughtMask = "SigCgt:";
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(kCaughtMask)) {
      const uint64_t mask = std::stoull(line.substr(kCaughtMask.size()), nullptr, 16);
      return ((mask >> (signalNumber - 1)) & 1) != 0;
    }
  }
  return false;
}

using LoggerProgramTest = DialogTest;  // for its own settings folder

TEST_F(LoggerProgramTest, HeadlessScreenshotWritesTheWindowAndEnds) {
  const std::string png = m_files.path() + "/window.png";
  const pid_t pid = Spawn({"--headless", "--screenshot", png});
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid), 0);
  const QImage image(QString::fromStdString(png));
  EXPECT_EQ(image.width(), 750);
  EXPECT_EQ(image.height(), 390);
}

TEST_F(LoggerProgramTest, ScreenshotThatCannotBeWrittenFails) {
  const pid_t pid = Spawn({"--headless", "--screenshot", m_files.path() + "/missing/window.png"});
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid), 1);
}

TEST_F(LoggerProgramTest, UnknownOptionIsRefused) {
  const pid_t pid = Spawn({"--no-such-option"});
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitExit(pid), 2);
}

TEST_F(LoggerProgramTest, TermSignalClosesTheWindowInOrder) {
  const pid_t pid = Spawn({"--headless"});
  ASSERT_GT(pid, 0);
  // A signal before the program catches it would end it by its default
  // handling (no exit status then); from then on it closes the window.
  ASSERT_TRUE(WaitUntil([pid] { return CatchesSignal(pid, SIGTERM); }, kProgramTimeoutMs));
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid), 0);
}

TEST_F(LoggerProgramTest, UnattendedRunLogsUntilTermSignalThenArchives) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  // COM5 reaches the pseudo-terminal through the per-user port link.
  const std::filesystem::path ports = std::filesystem::path(m_settings.path()) / "plenx-logger" / "ports";
  std::filesystem::create_directories(ports);
  std::filesystem::create_symlink(line.SlavePath(), ports / "COM5");
  WritePortSetting("COM5");
  const std::string log = m_files.path() + "/unattended.log";
  WriteLogFileSetting(log);

  const pid_t pid = Spawn({"--headless", "--start"});
  ASSERT_GT(pid, 0);
  std::vector<int16_t> values(229, 7);
  const std::vector<uint8_t> frame = EncodeFrame(1, values);
  // The board sends until a record is logged, as a real one sends twice a
  // second: frames that come before the run has started are not taken.
  constexpr auto kFramePeriod = std::chrono::milliseconds(100);
  bool logged = false;
  for (int frames = 0; frames * kFramePeriod.count() < kProgramTimeoutMs && !logged; ++frames) {
    line.Write(frame);
    std::error_code ignored;
    logged = WaitUntil([&] { return std::filesystem::file_size(log, ignored) > 0 && !ignored; },
                       kFramePeriod.count());
  }
  EXPECT_TRUE(logged);
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid), 0);
  const std::optional<LogArchiveName> archive = LogArchiveNameFor(log, ReadLocalTime());
  ASSERT_TRUE(archive);
  EXPECT_TRUE(std::filesystem::exists(archive->archivePath));
}

}  // namespace
