// A run's log left on site, through the run core: a week of day files on a
// fast clock, the repairs said once at Start, and the disk guard.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/folder_files.h"
#include "run/run_core.h"
#include "testkit/pty_line.h"
#include "testkit/temp_folder.h"
#include "tests/run/site_log_checks.h"
#include "tests/support/scoped_env.h"
#include "upkeep/day_file_names.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSecondsPerDay = 24 * 60 * 60;
// The fast clock's day lasts this long; lines come every kFrameGapMs, so
// some 1000 lines fall on each day.
constexpr int kRealMsPerDay = 2000;
constexpr int kFrameGapMs = 2;
constexpr int kWaitMs = 20000;

class YesPrompt : public UserPrompt {
 public:
  PromptAnswer AskYesNoCancel(const std::string&, const std::string&) override { return PromptAnswer::Yes; }
  void ShowError(const std::string& text) override { ADD_FAILURE() << "unexpected error: " << text; }
};

// 00:00:00 UTC of date.
time_t MidnightUtc(const LocalDate& date) { return static_cast<time_t>(DayNumber(date) * kSecondsPerDay); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

LoggerConfig BuiltInConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

// Counts the records and events of a run, keeps a copy of every day's
// archive as it is announced (before the days kept remove it), and wakes
// the test on each.
class SiteFace : public RunObserver {
 public:
  explicit SiteFace(std::string copies) : m_copies(std::move(copies)) {}

  void OnRecord(const std::shared_ptr<const RunRecord>&) override {
    std::lock_guard lock(m_mutex);
    ++m_records;
    m_changed.notify_all();
  }
  void OnRunEvent(const RunEvent& event) override {
    std::lock_guard lock(m_mutex);
    if (event.kind == RunEventKind::kDayArchived) {
      std::error_code error;
      fs::copy_file(event.path, m_copies + "/" + NameOf(event.path), fs::copy_options::overwrite_existing,
                    error);
      EXPECT_FALSE(error) << event.path;
    }
    if (event.kind != RunEventKind::kArchiveProgress) m_events.push_back(event);
    m_changed.notify_all();
  }
  void OnRunEnded(const RunEnd& end) override {
    std::lock_guard lock(m_mutex);
    m_end = end;
  }

  bool WaitFor(const std::function<bool()>& done) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(kWaitMs), done);
  }
  bool WaitForRecords(uint64_t count) {
    return WaitFor([&] { return m_records >= count; });
  }
  bool WaitForEvent(RunEventKind kind) {
    return WaitFor([&] { return CountLocked(kind) > 0; });
  }
  size_t Count(RunEventKind kind) {
    std::lock_guard lock(m_mutex);
    return CountLocked(kind);
  }
  std::vector<RunEvent> Events() {
    std::lock_guard lock(m_mutex);
    return m_events;
  }
  RunEnd End() {
    std::lock_guard lock(m_mutex);
    return m_end;
  }

 private:
  size_t CountLocked(RunEventKind kind) const {
    size_t count = 0;
    for (const RunEvent& event : m_events) count += event.kind == kind;
    return count;
  }

  const std::string m_copies;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  uint64_t m_records = 0;
  std::vector<RunEvent> m_events;
  RunEnd m_end;
};

class SiteLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_line.Valid());
    tzset();
    fs::create_directory(m_files.Path("copies"));
  }
  void TearDown() override { tzset(); }

  RunRequest Request(const RotationSettings& upkeep) const {
    RunRequest request;
    request.portName = m_line.SlavePath();
    request.logPath = m_files.Path("site.log");
    request.upkeep = upkeep;
    return request;
  }
  // The archives of site.log in the folder, by name.
  std::set<std::string> Archives() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_files.path())) {
      if (ParseDayArchiveName(entry.path().filename().string(), m_files.Path("site.log")))
        names.insert(entry.path().filename().string());
    }
    return names;
  }
  void Send(int index) { ASSERT_TRUE(m_line.Write(NumberedFrame(index))); }

  ScopedEnv m_zone{"TZ", "UTC"};
  TempFolder m_files;
  PtyLine m_line;
  YesPrompt m_prompt;
  SiteFace m_face{m_files.Path("copies")};
};

TEST_F(SiteLogTest, AWeekInAFewSecondsKeepsEveryRecordOnceInItsDaysArchiveAndTheDaysAsked) {
  const LocalDate firstDay{2026, 12, 7};
  constexpr int kDays = 7;
  const LocalDate lastDay{2026, 12, 14};  // the live log's, a few hours of it
  constexpr int kKeepDays = 2;
  auto clock = std::make_shared<FastWallClock>(timespec{MidnightUtc(firstDay), 0},
                                               double{kSecondsPerDay} * 1000.0 / kRealMsPerDay);
  RunCore core(BuiltInConfig(), "", {}, clock);
  core.Subscribe(m_face);
  ASSERT_TRUE(core.Start(Request({RotationKind::kDaily, 0, kKeepDays, 0}), m_prompt).Started());

  // The board sends until six in the morning of the last day.
  const time_t sendUntil = MidnightUtc(lastDay) + kSecondsPerDay / 4;
  int sent = 0;
  while (clock->Now().tv_sec < sendUntil) {
    Send(sent++);
    std::this_thread::sleep_for(std::chrono::milliseconds(kFrameGapMs));
  }
  ASSERT_TRUE(m_face.WaitForRecords(static_cast<uint64_t>(sent)));
  core.Stop();
  core.WaitEnded();
  EXPECT_TRUE(m_face.End().failureMessages.empty());

  // Every day's archive, as it was written, holds exactly its day's lines.
  std::vector<int> all;
  for (int day = 0; day < kDays; ++day) {
    const LocalDate date = DateOf(LocalTimeAt(timespec{MidnightUtc(firstDay) + day * kSecondsPerDay, 0}));
    SCOPED_TRACE(DateText(date));
    const std::optional<std::string> log =
        UnzippedLog(m_files.Path("copies/" + DateText(date) + "_site.zip"));
    ASSERT_TRUE(log) << "no whole archive of the day";
    const LoggedLines lines = ReadLoggedLines(*log);
    EXPECT_EQ(lines.fault, "");
    EXPECT_FALSE(lines.indices.empty());
    for (const LocalDate& stamped : lines.days) ASSERT_EQ(DateText(stamped), DateText(date));
    all.insert(all.end(), lines.indices.begin(), lines.indices.end());
  }
  EXPECT_EQ(m_face.Count(RunEventKind::kDayArchived), static_cast<size_t>(kDays));
  EXPECT_EQ(m_face.Count(RunEventKind::kDayArchiveFailed), 0u);

  // The live log holds the last day, and Stop archived it under that day.
  const std::string live = ReadFile(m_files.Path("site.log"));
  const LoggedLines liveLines = ReadLoggedLines(live);
  EXPECT_EQ(liveLines.fault, "");
  for (const LocalDate& stamped : liveLines.days) ASSERT_EQ(DateText(stamped), DateText(lastDay));
  all.insert(all.end(), liveLines.indices.begin(), liveLines.indices.end());
  EXPECT_EQ(UnzippedLog(m_files.Path(DateText(lastDay) + "_site.zip")), live);

  // Archives plus the live log: every record sent, once, in order.
  ASSERT_EQ(all.size(), static_cast<size_t>(sent));
  for (int i = 0; i < sent; ++i) ASSERT_EQ(all[static_cast<size_t>(i)], i);

  // The days kept: the last two before the last day, and the last day.
  EXPECT_EQ(Archives(),
            (std::set<std::string>{"2026-12-12_site.zip", "2026-12-13_site.zip", "2026-12-14_site.zip"}));
  EXPECT_GE(m_face.Count(RunEventKind::kOldArchivesRemoved), 1u);
}

TEST_F(SiteLogTest, StartSetsATornLineAsideAndFinishesAnInterruptedArchiveSayingEachOnce) {
  const std::string log = m_files.Path("site.log");
  const std::string whole = "2026/12/10-10:00:00.000,1,2,\r\n";
  m_files.Write("site.log", whole + "2026/12/10-10:00:01.0");
  // A day set aside whose archive a cut interrupted: its temporary file
  // stays, and the day waits under its pending name.
  const DayTag cut{{2026, 12, 9}, 0};
  const std::string dayLines = "2026/12/09-23:59:59.000,3,4,\r\n";
  m_files.Write(NameOf(PendingDayFilePath(log, cut)), dayLines);
  m_files.Write(".2026-12-09_site.zip.0123abcd.tmp", "PK");

  RunCore core(BuiltInConfig(), "");
  core.Subscribe(m_face);
  ASSERT_TRUE(core.Start(Request({RotationKind::kNone, 0, 0, 0}), m_prompt).Started());
  ASSERT_TRUE(m_face.WaitForEvent(RunEventKind::kDayFilesRecovered));
  Send(1);
  ASSERT_TRUE(m_face.WaitForRecords(1));
  core.Stop();
  core.WaitEnded();

  EXPECT_EQ(m_face.Count(RunEventKind::kLogEndRepaired), 1u);
  EXPECT_EQ(m_face.Count(RunEventKind::kDayFilesRecovered), 1u);
  for (const RunEvent& event : m_face.Events()) {
    if (event.kind == RunEventKind::kLogEndRepaired) {
      EXPECT_NE(event.message.find(log), std::string::npos) << event.message;
      EXPECT_NE(event.message.find(log + ".torn"), std::string::npos) << event.message;
    }
    if (event.kind == RunEventKind::kDayFilesRecovered) {
      EXPECT_NE(event.message.find(m_files.Path("2026-12-09_site.zip")), std::string::npos) << event.message;
    }
  }
  EXPECT_EQ(ReadFile(log + ".torn"), "2026/12/10-10:00:01.0\r\n");
  const LoggedLines lines = ReadLoggedLines(ReadFile(log).substr(whole.size()));
  EXPECT_EQ(lines.fault, "") << "the new line starts a line of its own";
  EXPECT_EQ(UnzippedLog(m_files.Path("2026-12-09_site.zip")), dayLines);
  EXPECT_FALSE(fs::exists(PendingDayFilePath(log, cut)));
  EXPECT_FALSE(fs::exists(m_files.Path(".2026-12-09_site.zip.0123abcd.tmp")));
}

TEST_F(SiteLogTest, AShortDiskTakesTheOldestArchivesOfThisLogThenTheRawCaptureAndSaysSoOnce) {
  for (const char* name : {"2026-12-01_site.zip", "2026-12-02_site.zip", "2026-12-01_other.zip"})
    m_files.Write(name, "PK");
  RunRequest request = Request({RotationKind::kNone, 0, 0, kMaxMinFreeMB});  // never enough room
  request.rawCapturePath = m_files.Path("site.log.raw");
  RunCore core(BuiltInConfig(), "");
  core.Subscribe(m_face);
  ASSERT_TRUE(core.Start(request, m_prompt).Started());
  ASSERT_TRUE(m_face.WaitForEvent(RunEventKind::kDiskSpaceLow));
  // The capture ends at the next byte read.
  Send(0);
  ASSERT_TRUE(m_face.WaitForRecords(1));
  const uintmax_t captured = fs::file_size(request.rawCapturePath);
  for (int i = 1; i <= 5; ++i) Send(i);
  ASSERT_TRUE(m_face.WaitForRecords(6));
  core.Stop();
  core.WaitEnded();

  EXPECT_EQ(fs::file_size(request.rawCapturePath), captured);
  EXPECT_EQ(ReadLoggedLines(ReadFile(request.logPath)).indices, (std::vector<int>{0, 1, 2, 3, 4, 5}))
      << "logging goes on";
  EXPECT_TRUE(fs::exists(m_files.Path("2026-12-01_other.zip"))) << "another log's archive stays";
  EXPECT_EQ(m_face.Count(RunEventKind::kDiskSpaceLow), 1u);
  for (const RunEvent& event : m_face.Events()) {
    if (event.kind != RunEventKind::kDiskSpaceLow) continue;
    EXPECT_EQ(event.count, 2u);
    EXPECT_NE(event.message.find("2026-12-01_site.zip to 2026-12-02_site.zip"), std::string::npos)
        << event.message;
    EXPECT_NE(event.message.find("stopped the raw capture " + request.rawCapturePath), std::string::npos)
        << event.message;
  }
  // Only Stop's own archive is left of this log's.
  EXPECT_EQ(Archives().size(), 1u);
  const std::vector<std::string> notices = m_face.End().noticeMessages;
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("removed 2 archives of site.log and stopped the raw capture"), std::string::npos)
      << notices[0];
}

}  // namespace
