// When the log is closed for its archive, driven by a clock the test sets:
// midnight in zones with daylight saving (also where it changes at
// midnight), a clock set back and forward by hand, a quiet line at
// midnight, and the size limit. The log writer's loop is played here: a
// line is written after the policy was asked, and the files it closes are
// kept with the stamps of their lines.
#include "upkeep/rotation_policy.h"

#include <gtest/gtest.h>
#include <time.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "upkeep/wall_clock.h"

namespace {

// A clock the test sets, second by second or by jumps.
class ManualWallClock : public WallClock {
 public:
  timespec Now() const override { return {m_now, 0}; }
  void Set(time_t now) { m_now = now; }

 private:
  time_t m_now = 0;
};

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) m_old = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    m_old ? setenv("TZ", m_old->c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> m_old;
};

time_t Utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  return timegm(&fields);
}

LocalDate Today(const WallClock& clock) { return DateOf(LocalTimeAt(clock.Now())); }

// One file of the log: the day it was archived under, and its lines' days.
struct File {
  std::string day;
  std::vector<std::string> lineDays;
};

struct Played {
  std::vector<File> archived;
  File live;
};

// A line of lineBytes at time at, or (idle) a look at the clock while no
// line comes.
struct Step {
  time_t at;
  bool idle = false;
  uint64_t lineBytes = 100;
};

// The writer's loop over steps, starting on a log that holds startBytes
// from startDay (or an empty one on the first step's day).
Played Play(const RotationSettings& settings, const std::vector<Step>& steps, uint64_t startBytes = 0,
            std::optional<LocalDate> startDay = std::nullopt) {
  ManualWallClock clock;
  clock.Set(steps.front().at);
  RotationPolicy policy(settings);
  policy.StartFile(startDay.value_or(Today(clock)), startBytes);
  Played played;
  const auto close = [&] {
    played.live.day = DateText(policy.Day());
    played.archived.push_back(played.live);
    played.live = File{};
  };
  for (const Step& step : steps) {
    clock.Set(step.at);
    const LocalDate today = Today(clock);
    if (step.idle) {
      if (policy.DueWhileIdle(today)) {
        close();
        policy.StartFile(today, 0);
      }
      continue;
    }
    if (policy.DueBeforeLine(today, step.lineBytes)) {
      close();
      policy.StartFile(today, 0);
    }
    policy.Wrote(today, step.lineBytes);
    played.live.lineDays.push_back(DateText(today));
  }
  played.live.day = DateText(policy.Day());
  return played;
}

std::vector<Step> LinesEvery(time_t start, int seconds, int count) {
  std::vector<Step> steps;
  for (int i = 0; i < count; ++i) steps.push_back(Step{start + static_cast<time_t>(i) * seconds});
  return steps;
}

const RotationSettings kDaily{.rotate = RotationKind::kDaily};

// Sixty hours of lines ten minutes apart in each zone, across its
// daylight-saving change: a file is closed at each midnight and once only,
// and holds the lines of its day, apart from the hour a zone repeats across
// midnight, which stays in the new day's file.
TEST(RotationPolicy, DailyAcrossDaylightSavingChanges) {
  struct Case {
    const char* name;
    const char* zone;
    time_t start;
    std::vector<std::string> archivedDays;
    std::string liveDay;
    // Lines stamped with another day than their file's.
    int strangers;
    // Lines in the file of the day that changes: hours times six.
    size_t changeDayLines;
  };
  const Case cases[] = {
      {"Utc", "UTC0", Utc(2015, 3, 6, 12), {"2015-03-06", "2015-03-07"}, "2015-03-08", 0, 144},
      // 2015-03-29 02:00 becomes 03:00.
      {"SpringForward",
       "CET-1CEST,M3.5.0,M10.5.0/3",
       Utc(2015, 3, 27, 23),
       {"2015-03-28", "2015-03-29"},
       "2015-03-30",
       0,
       23 * 6},
      // 2015-10-25 03:00 becomes 02:00 again.
      {"FallBack",
       "CET-1CEST,M3.5.0,M10.5.0/3",
       Utc(2015, 10, 23, 22),
       {"2015-10-24", "2015-10-25"},
       "2015-10-26",
       0,
       25 * 6},
      // 2015-10-18 00:00 becomes 01:00: that midnight never shows.
      {"SpringForwardAtMidnight",
       "BRT3BRST,M10.3.0/0,M2.3.0/0",
       Utc(2015, 10, 17, 3),
       {"2015-10-17", "2015-10-18"},
       "2015-10-19",
       0,
       23 * 6},
      // 2016-02-21 00:30 becomes 2016-02-20 23:30: the clock shows the new
      // day, then the old one again for half an hour (three lines).
      {"FallBackAcrossMidnight",
       "XST3XDT,M10.3.0/0,M2.3.0/0:30",
       Utc(2016, 2, 20, 2),
       {"2016-02-20", "2016-02-21"},
       "2016-02-22",
       3,
       25 * 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ScopedTimeZone zone(c.zone);
    const std::vector<Step> steps = LinesEvery(c.start, 600, 360);
    const Played played = Play(kDaily, steps);

    std::vector<std::string> archivedDays;
    size_t lines = played.live.lineDays.size();
    int strangers = 0;
    for (const File& file : played.archived) {
      archivedDays.push_back(file.day);
      lines += file.lineDays.size();
      for (const std::string& day : file.lineDays) strangers += day != file.day;
    }
    for (const std::string& day : played.live.lineDays) strangers += day != played.live.day;
    EXPECT_EQ(archivedDays, c.archivedDays);
    EXPECT_EQ(played.live.day, c.liveDay);
    EXPECT_EQ(lines, steps.size());
    EXPECT_EQ(strangers, c.strangers);
    ASSERT_EQ(played.archived.size(), 2u);
    EXPECT_EQ(played.archived[1].lineDays.size(), c.changeDayLines);
  }
}

// A clock set by hand, and a line that goes quiet at midnight.
TEST(RotationPolicy, DailyWithAClockSetByHandOrAQuietLine) {
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::pair<std::string, size_t>> archived;  // day, lines
    std::string liveDay;
    size_t liveLines;
  };
  const Case cases[] = {
      // Back a day: nothing closes until the midnight after the file's day.
      {"SetBackADay",
       {{Utc(2015, 3, 8, 10)},
        {Utc(2015, 3, 7, 10)},
        {Utc(2015, 3, 7, 20)},
        {Utc(2015, 3, 8, 5)},
        {Utc(2015, 3, 9)}},
       {{"2015-03-08", 4}},
       "2015-03-09",
       1},
      // Forward three days: one file closes; the days between get none.
      {"SetForwardDays",
       {{Utc(2015, 3, 7, 10)}, {Utc(2015, 3, 10, 10)}},
       {{"2015-03-07", 1}},
       "2015-03-10",
       1},
      // The day's file closes at midnight although no line comes; an empty
      // file is never closed.
      {"QuietAtMidnight",
       {{Utc(2015, 3, 7, 22)},
        {Utc(2015, 3, 8, 0, 0, 1), true},
        {Utc(2015, 3, 8, 0, 0, 2), true},
        {Utc(2015, 3, 9, 0, 0, 1), true},
        {Utc(2015, 3, 9, 8)}},
       {{"2015-03-07", 1}},
       "2015-03-09",
       1},
  };
  const ScopedTimeZone zone("UTC0");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Played played = Play(kDaily, c.steps);
    std::vector<std::pair<std::string, size_t>> archived;
    for (const File& file : played.archived) archived.emplace_back(file.day, file.lineDays.size());
    EXPECT_EQ(archived, c.archived);
    EXPECT_EQ(played.live.day, c.liveDay);
    EXPECT_EQ(played.live.lineDays.size(), c.liveLines);
  }
}

// A log found at Start: archived before the first line when its last line
// is from an earlier day; written on when it is from today.
TEST(RotationPolicy, LogFoundAtStartClosesOnlyWhenItsDayIsOver) {
  const ScopedTimeZone zone("UTC0");
  const Played yesterdays = Play(kDaily, {{Utc(2015, 3, 8, 9)}}, 5000, LocalDate{2015, 3, 7});
  ASSERT_EQ(yesterdays.archived.size(), 1u);
  EXPECT_EQ(yesterdays.archived[0].day, "2015-03-07");
  EXPECT_TRUE(yesterdays.archived[0].lineDays.empty());
  EXPECT_EQ(yesterdays.live.lineDays.size(), 1u);

  EXPECT_TRUE(Play(kDaily, {{Utc(2015, 3, 8, 9)}}, 5000, LocalDate{2015, 3, 8}).archived.empty());
}

// size:N closes the file before a line would take it past N; a longer line
// gets a file of its own; nothing closes at midnight.
TEST(RotationPolicy, SizeLimit) {
  struct Case {
    const char* name;
    uint64_t startBytes;
    std::vector<uint64_t> lines;
    std::vector<size_t> archivedLines;  // per closed file
    size_t liveLines;
  };
  const Case cases[] = {
      {"ThreeLinesAFile", 0, {30, 30, 30, 30, 30, 30, 30}, {3, 3}, 1},
      {"ExactlyFull", 0, {50, 50, 50}, {2}, 1},
      {"LongLineAlone", 0, {30, 150, 30}, {1, 1}, 1},
      {"FoundOverTheLimit", 120, {30}, {0}, 1},
  };
  const ScopedTimeZone zone("UTC0");
  const RotationSettings size{.rotate = RotationKind::kSize, .rotateBytes = 100};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Step> steps;
    // Across two midnights, which change nothing.
    for (size_t i = 0; i < c.lines.size(); ++i) {
      steps.push_back(Step{Utc(2015, 3, 7, 23) + static_cast<time_t>(i) * 40000, false, c.lines[i]});
    }
    const Played played = Play(size, steps, c.startBytes);
    std::vector<size_t> archivedLines;
    for (const File& file : played.archived) archivedLines.push_back(file.lineDays.size());
    EXPECT_EQ(archivedLines, c.archivedLines);
    EXPECT_EQ(played.live.lineDays.size(), c.liveLines);
  }
  // No rotation: one file, whatever the clock and the size.
  const Played none = Play(RotationSettings{}, LinesEvery(Utc(2015, 3, 7), 36000, 10));
  EXPECT_TRUE(none.archived.empty());
  EXPECT_EQ(none.live.lineDays.size(), 10u);
}

}  // namespace
