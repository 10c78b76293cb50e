// Local time on Windows: the clock's reading and a moment's conversion
// agree, and milliseconds are cut off, never rounded up.
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

namespace {

TEST(LocalTimeTest, ClockAndConversionAgreeAndMillisecondsAreCutOff) {
  const auto now = std::chrono::system_clock::now();
  const LocalTime read = ReadLocalTime();
  const auto seconds = std::chrono::time_point_cast<std::chrono::seconds>(now);
  timespec moment{};
  moment.tv_sec = static_cast<time_t>(seconds.time_since_epoch().count());
  moment.tv_nsec = 999'999'999;
  LocalTime converted = LocalTimeAt(moment);
  EXPECT_EQ(converted.milliseconds, 999);
  // Within the same minute, short of a minute's turn between the two.
  converted.milliseconds = read.milliseconds;
  if (converted.second <= 57) {
    EXPECT_EQ(converted.year, read.year);
    EXPECT_EQ(converted.month, read.month);
    EXPECT_EQ(converted.day, read.day);
    EXPECT_EQ(converted.hour, read.hour);
    EXPECT_EQ(converted.minute, read.minute);
    EXPECT_LE(read.second - converted.second, 2);
  }
  moment.tv_nsec = 999'999;
  EXPECT_EQ(LocalTimeAt(moment).milliseconds, 0);
}

}  // namespace
