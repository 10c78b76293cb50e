// Wall-clock milliseconds of calendar fields and back, and ISO 8601 text.
#include "decode/time_stamp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TimeStampTest, KnownMoments) {
  const struct {
    const char* name;
    LocalTime time;
    int64_t ms;  // from Python's datetime in UTC
  } cases[] = {
      {"Epoch", {1970, 1, 1, 0, 0, 0, 0}, 0},
      {"LastMillisecondBeforeTheEpoch", {1969, 12, 31, 23, 59, 59, 999}, -1},
      {"LeapDay", {2000, 2, 29, 0, 0, 0, 0}, 951'782'400'000},
      {"ALogStamp", {2015, 3, 7, 14, 5, 9, 42}, 1'425'737'109'042},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WallClockMs(c.time), c.ms) << c.name;
    EXPECT_EQ(WallClockTime(c.ms), c.time) << c.name;
  }
  // A leap second is the next minute's first second.
  EXPECT_EQ(WallClockMs({2016, 12, 31, 23, 59, 60, 0}), WallClockMs({2017, 1, 1, 0, 0, 0, 0}));
}

TEST(TimeStampTest, EveryDayOfFourCenturiesRoundTrips) {
  const int64_t first = WallClockMs({1900, 1, 1, 0, 0, 0, 0});
  LocalTime previous = WallClockTime(first - kMsPerDay);
  for (int64_t day = 0; day < 146'097; ++day) {
    const int64_t ms = first + day * kMsPerDay + 45'296'789;  // 12:34:56.789
    const LocalTime time = WallClockTime(ms);
    ASSERT_EQ(WallClockMs(time), ms);
    ASSERT_GT(time, previous);
    ASSERT_EQ((LocalTime{time.year, time.month, time.day, 12, 34, 56, 789}), time);
    previous = time;
  }
  EXPECT_EQ(previous, (LocalTime{2299, 12, 31, 12, 34, 56, 789}));
}

TEST(TimeStampTest, IsoText) {
  std::string text = "at ";
  AppendIsoTime({2015, 3, 7, 14, 5, 9, 42}, text);
  EXPECT_EQ(text, "at 2015-03-07T14:05:09.042");
}

}  // namespace
