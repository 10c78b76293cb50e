// The log on site killed at random moments (kill -9), 200 times, on a clock
// that makes a day pass in half a second: whatever moment the kill hits
// (start, repairs, a line, a rotation, an archive), the next start finishes
// what it left; at the end the log and its archives hold whole lines, in
// order, each record once and only records that were sent, every archive
// tests clean and no temporary or pending file stays.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "testkit/child_exit.h"
#include "testkit/pty_line.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"
#include "tests/run/site_log_checks.h"
#include "tests/support/scoped_env.h"
#include "upkeep/day_file_names.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kCycles = 200;
// A day in half a second of real time.
constexpr double kClockRate = 2.0 * 24 * 60 * 60;
// Frames the board sends in one cycle before the kill (at most), and the
// longest pause after one of them, in ms.
constexpr int kMaxFramesPerCycle = 40;
constexpr int kMaxPauseMs = 3;
constexpr int kMaxKillDelayMs = 30;
constexpr int kWaitMs = 20000;
// 2026-12-01 00:00:00 UTC.
constexpr time_t kFirstClockSecond = 1796083200;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Starts the run process; its standard error goes to errorsPath.
pid_t StartRun(const std::string& device, const std::string& log, time_t clockStart,
               const std::string& errorsPath) {
  const std::string program = std::string(PLENX_TESTS_DIR) + "/site-run";
  const std::string start = std::to_string(clockStart);
  const std::string rate = std::to_string(kClockRate);
  std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(device.c_str()),
                          const_cast<char*>(log.c_str()),     const_cast<char*>(start.c_str()),
                          const_cast<char*>(rate.c_str()),    nullptr};
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errorsPath.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&files);
  return pid;
}

TEST(SiteKillTest, KilledAtRandomMomentsTheLogAndItsArchivesStayWholeInOrderAndClean) {
  const ScopedEnv zone("TZ", "UTC");
  tzset();
  TempFolder files;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const std::string log = files.Path("site.log");
  const std::string errors = files.Path("site-run.errors");
  std::mt19937 random(std::random_device{}());
  const auto upTo = [&random](int most) { return std::uniform_int_distribution<int>(0, most)(random); };
  using Clock = std::chrono::steady_clock;

  int sent = 0;
  time_t clockStart = kFirstClockSecond;
  const auto sendFrames = [&](int count) {
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(line.WriteWithin(NumberedFrame(sent), kWaitMs)) << "the run reads nothing\n"
                                                                  << ReadFile(errors);
      ++sent;
      std::this_thread::sleep_for(std::chrono::milliseconds(upTo(kMaxPauseMs)));
    }
  };
  for (int cycle = 0; cycle < kCycles; ++cycle) {
    SCOPED_TRACE(cycle);
    const Clock::time_point started = Clock::now();
    const pid_t pid = StartRun(line.SlavePath(), log, clockStart, errors);
    ASSERT_GT(pid, 0);
    sendFrames(upTo(kMaxFramesPerCycle));
    std::this_thread::sleep_for(std::chrono::milliseconds(upTo(kMaxKillDelayMs)));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    ASSERT_TRUE(WaitChildExit(pid, kWaitMs));
    // The next run's clock goes on past every time this one could read,
    // as the real one would after a restart.
    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
    clockStart += static_cast<time_t>(elapsed * kClockRate) + 1;
  }

  // A last run, stopped as Stop stops it, after its records are logged.
  const pid_t pid = StartRun(line.SlavePath(), log, clockStart, errors);
  ASSERT_GT(pid, 0);
  const int lastBefore = sent;
  sendFrames(3);
  ASSERT_TRUE(WaitUntil(
      [&] {
        const LoggedLines lines = ReadLoggedLines(ReadFile(log));
        return !lines.indices.empty() && lines.indices.back() == sent - 1;
      },
      kWaitMs))
      << ReadFile(errors);
  ASSERT_EQ(kill(pid, SIGTERM), 0);
  ASSERT_EQ(WaitChildExit(pid, kWaitMs), 0) << ReadFile(errors);

  // Archives in the order of their days, then the live log.
  std::vector<std::string> archives;
  for (const auto& entry : fs::directory_iterator(files.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_FALSE(name.ends_with(".tmp")) << "a temporary file stays: " << name;
    EXPECT_FALSE(ParsePendingDayFileName(name, log)) << "a day file waits still: " << name;
    if (ParseDayArchiveName(name, log)) archives.push_back(name);
  }
  std::sort(archives.begin(), archives.end());
  ASSERT_GE(archives.size(), 10u) << "the days went by";
  const std::string live = ReadFile(log);
  const LoggedLines liveLines = ReadLoggedLines(live);
  ASSERT_EQ(liveLines.fault, "");
  ASSERT_FALSE(liveLines.days.empty());
  std::vector<int> all;
  for (const std::string& archive : archives) {
    SCOPED_TRACE(archive);
    const std::optional<std::string> text = UnzippedLog(files.Path(archive));
    ASSERT_TRUE(text) << "the archive does not test clean";
    const LoggedLines lines = ReadLoggedLines(*text);
    ASSERT_EQ(lines.fault, "");
    for (const LocalDate& day : lines.days) ASSERT_EQ(DateText(day) + "_site.zip", archive);
    // Stop's archive of the last day is the live log itself.
    if (archive == DateText(liveLines.days.back()) + "_site.zip") {
      EXPECT_EQ(*text, live);
      continue;
    }
    all.insert(all.end(), lines.indices.begin(), lines.indices.end());
  }
  all.insert(all.end(), liveLines.indices.begin(), liveLines.indices.end());
  for (size_t i = 1; i < all.size(); ++i) ASSERT_LT(all[i - 1], all[i]) << "in order, each once";
  ASSERT_FALSE(all.empty());
  EXPECT_GE(all.front(), 0);
  EXPECT_EQ(all.back(), sent - 1);
  EXPECT_GE(static_cast<int>(all.size()), sent - lastBefore) << "the last run lost nothing";
}

}  // namespace
