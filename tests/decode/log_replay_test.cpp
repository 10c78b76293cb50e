// A log replayed against a clock the test moves: records due at the
// recorded pace times the speed, pause, the quiet line's banner after a
// recorded gap, and lines that are not records of the layout skipped and
// noted.
#include "decode/log_replay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/log_line.h"
#include "testkit/temp_folder.h"

namespace {

class FakeClock : public ReplayClock {
 public:
  int64_t NowMs() const override { return now; }
  int64_t now = 1'000'000;
};

// 2015/03/07 12:00:00.000 plus offsetMs (less than 12 hours).
LocalTime At(int64_t offsetMs) {
  return LocalTime{2015,
                   3,
                   7,
                   static_cast<int>(12 + offsetMs / 3600000),
                   static_cast<int>(offsetMs / 60000 % 60),
                   static_cast<int>(offsetMs / 1000 % 60),
                   static_cast<int>(offsetMs % 1000)};
}

constexpr const char* kRecord = "1,2,3,";
constexpr int64_t kValues = 3;

// A log of records at the given offsets (ms from At(0)).
std::string LogOf(const std::vector<int64_t>& offsetsMs) {
  std::string log;
  for (int64_t offset : offsetsMs) log += FormatLogLine(At(offset), kRecord);
  return log;
}

class LogReplayTest : public ::testing::Test {
 protected:
  LogReplay& Replay(const std::string& log, double speed) {
    m_replay.emplace(m_clock, speed, kValues, "1,1,1");
    EXPECT_TRUE(m_replay->Open(m_files.Write("site.log", log)));
    return *m_replay;
  }

  // Hands out every record due now; returns their stamps' offsets.
  std::vector<int64_t> Due(LogReplay& replay) {
    std::vector<int64_t> shown;
    LoggedRecord record;
    while (replay.Next(record) == LogReplay::Step::kRecord)
      shown.push_back(RecordedMs(record.time) - RecordedMs(At(0)));
    return shown;
  }

  FakeClock m_clock;
  TempFolder m_files;
  std::optional<LogReplay> m_replay;
};

TEST_F(LogReplayTest, RecordsComeAtTheRecordedPaceTimesTheSpeed) {
  const struct {
    double speed;
    int64_t waitMs;                                     // wall time between records 600 ms apart
  } cases[] = {{1, 600}, {10, 60}, {60, 10}, {7, 86}};  // 600 / 7 = 85.7, rounded up
  for (const auto& c : cases) {
    SCOPED_TRACE(c.speed);
    LogReplay& replay = Replay(LogOf({0, 600, 1200}), c.speed);
    EXPECT_EQ(Due(replay), std::vector<int64_t>{0});
    EXPECT_EQ(replay.WaitMs(), c.waitMs);
    m_clock.now += c.waitMs - 1;
    EXPECT_TRUE(Due(replay).empty());
    m_clock.now += 1;
    EXPECT_EQ(Due(replay), std::vector<int64_t>{600});
    // Late by one record's time: both are due, and the pace is kept from the
    // first stamp, not from when the late record was shown.
    m_clock.now += 2 * c.waitMs;
    EXPECT_EQ(Due(replay), std::vector<int64_t>{1200});
    LoggedRecord record;
    EXPECT_EQ(replay.Next(record), LogReplay::Step::kEnd);
    EXPECT_EQ(replay.RecordsShown(), 3u);
  }
}

TEST_F(LogReplayTest, AsFastAsPossibleHandsOutEveryRecordAtOnceWithoutBanner) {
  LogReplay& replay = Replay(LogOf({0, 600, 60000, 61000}), kAsFastAsPossible);
  EXPECT_EQ(Due(replay), (std::vector<int64_t>{0, 600, 60000, 61000}));
  EXPECT_FALSE(replay.IsLineQuiet());
  EXPECT_EQ(ReplayPositionText(*replay.Pacer().Position()), "2015/03/07 12:01:01.000");
}

TEST_F(LogReplayTest, PauseStopsTheRecordsAndTheBanner) {
  LogReplay& replay = Replay(LogOf({0, 1000, 30000}), 10);
  EXPECT_EQ(Due(replay), std::vector<int64_t>{0});
  m_clock.now += 50;
  replay.Pacer().Pause();
  EXPECT_TRUE(Due(replay).empty());
  EXPECT_EQ(replay.WaitMs(), -1);
  m_clock.now += 100000;  // paused: the recorded clock stands at 500 ms
  EXPECT_TRUE(Due(replay).empty());
  EXPECT_FALSE(replay.IsLineQuiet());
  replay.Pacer().Resume();
  EXPECT_TRUE(Due(replay).empty());
  EXPECT_EQ(replay.WaitMs(), 50);
  m_clock.now += 50;
  EXPECT_EQ(Due(replay), std::vector<int64_t>{1000});
  // A speed change keeps the recorded clock's reading: 1 s recorded at 10x
  // is 100 ms, the remaining 19 s of the gap to 30 s at 60x 317 ms.
  m_clock.now += 100;
  replay.Pacer().SetSpeed(60);
  EXPECT_TRUE(Due(replay).empty());
  EXPECT_EQ(replay.WaitMs(), 150);  // the banner is due first: 11 s recorded
}

TEST_F(LogReplayTest, BannerShowsAfterAQuietGapScaledByTheSpeed) {
  const struct {
    int64_t gapMs;
    double speed;
    int64_t bannerAfterMs;  // -1: the next record comes first
  } cases[] = {
      {12000, 1, 10000}, {12000, 10, 1000}, {12000, 60, 167}, {10000, 1, -1}, {9999, 10, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.gapMs << " ms at " << c.speed);
    LogReplay& replay = Replay(LogOf({0, c.gapMs}), c.speed);
    EXPECT_EQ(Due(replay).size(), 1u);
    EXPECT_FALSE(replay.IsLineQuiet());
    const int64_t recordAfterMs = replay.Pacer().WaitForRecord(At(c.gapMs));
    if (c.bannerAfterMs < 0) {
      EXPECT_EQ(replay.WaitMs(), recordAfterMs);
      m_clock.now += recordAfterMs;
      EXPECT_EQ(Due(replay).size(), 1u);
      EXPECT_FALSE(replay.IsLineQuiet());
      continue;
    }
    EXPECT_EQ(replay.WaitMs(), c.bannerAfterMs);
    m_clock.now += c.bannerAfterMs - 1;
    EXPECT_FALSE(replay.IsLineQuiet());
    m_clock.now += 1;
    EXPECT_TRUE(Due(replay).empty());
    EXPECT_TRUE(replay.IsLineQuiet());
    EXPECT_EQ(replay.WaitMs(), recordAfterMs - c.bannerAfterMs);
    m_clock.now += replay.WaitMs();
    EXPECT_EQ(Due(replay).size(), 1u);
    EXPECT_FALSE(replay.IsLineQuiet());
  }
}

TEST_F(LogReplayTest, AClockSetBackDoesNotRushTheRest) {
  // An hour back (summer time ends) after the second record.
  LogReplay& replay = Replay(LogOf({3600000, 3601000, 0, 1000}), 1);
  EXPECT_EQ(Due(replay).size(), 1u);
  m_clock.now += 1000;
  EXPECT_EQ(Due(replay), (std::vector<int64_t>{3601000, 0}));
  EXPECT_EQ(replay.WaitMs(), 1000);
}

TEST_F(LogReplayTest, LinesThatAreNotRecordsOfTheLayoutAreSkippedAndNoted) {
  const struct {
    std::string line;
    std::string reason;  // the start of the noted reason
  } cases[] = {
      {"garbage\r\n", "no time stamp"},
      {"2015/03/07-14:05:01.000   -   1,2,\r\n", "the record holds 2 values; the layout 1,1,1 has 3"},
      {"2015/03/07-14:05:01.000   -   1,2,3,4,\r\n", "the record holds 4 values"},
      {"2015/13/07-14:05:01.000   -   1,2,3,\r\n", ""},
      {"2015/03/07-14:05:01.000   -   1,x,3,\r\n", ""},
      {"\r\n", ""},
      {"2015/03/07-14:05:01.000   -   \r\n", ""},
  };
  std::string log = LogOf({0});
  for (const auto& c : cases) log += c.line;
  log += LogOf({2000});
  log.pop_back();  // the last line without its LF is still read
  LogReplay& replay = Replay(log, kAsFastAsPossible);
  EXPECT_EQ(Due(replay), (std::vector<int64_t>{0, 2000}));
  const LogRecordReader& reader = replay.Reader();
  ASSERT_EQ(reader.SkippedCount(), std::size(cases));
  EXPECT_EQ(reader.LayoutMismatchCount(), 2u);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].line);
    EXPECT_EQ(reader.NotedSkips()[i].lineNumber, i + 2);
    EXPECT_TRUE(reader.NotedSkips()[i].reason.starts_with(cases[i].reason)) << reader.NotedSkips()[i].reason;
    EXPECT_FALSE(reader.NotedSkips()[i].reason.empty());
  }
  const std::string report = SkippedLinesReport(reader, "site.log");
  EXPECT_TRUE(report.starts_with("7 of 9 lines of site.log were skipped:\nline 2: no time stamp")) << report;
}

TEST_F(LogReplayTest, ManySkippedLinesAreCountedNotListed) {
  std::string log = LogOf({0});
  for (int i = 0; i < 25; ++i) log += "noise\n";
  LogReplay& replay = Replay(log, kAsFastAsPossible);
  EXPECT_EQ(Due(replay).size(), 1u);
  const std::string report = SkippedLinesReport(replay.Reader(), "site.log");
  EXPECT_EQ(replay.Reader().NotedSkips().size(), kSkippedLinesNoted);
  EXPECT_TRUE(report.ends_with("\nline 11: no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start\nand 15 more"))
      << report;
  EXPECT_EQ(SkippedLinesReport(Replay(LogOf({0}), 1).Reader(), "site.log"), "");
}

TEST_F(LogReplayTest, ALogThatCannotBeReadIsReported) {
  LogReplay missing(m_clock, 1, kValues, "1,1,1");
  EXPECT_FALSE(missing.Open(m_files.Path("absent.log")));
  EXPECT_EQ(errno, ENOENT);
  LogReplay folder(m_clock, 1, kValues, "1,1,1");
  ASSERT_TRUE(folder.Open(m_files.path()));
  LoggedRecord record;
  EXPECT_EQ(folder.Next(record), LogReplay::Step::kReadFailed);
  EXPECT_EQ(folder.ReadError(), EISDIR);
}

}  // namespace
