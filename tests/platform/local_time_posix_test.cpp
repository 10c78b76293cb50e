// Local time fields from the real-time clock: calendar offsets, time zone, milliseconds.
#include "platform/local_time.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

// Sets TZ for the test's lifetime and restores the previous zone after.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) m_old = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (m_old) {
      setenv("TZ", m_old->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> m_old;
};

// 2015-03-07 14:05:09 UTC as seconds since the epoch (python3:
// calendar.timegm((2015, 3, 7, 14, 5, 9))), plus 42.999999 ms.
constexpr timespec kMoment{1425737109, 42'999'999};

TEST(LocalTimeAt, SplitsIntoCalendarFieldsInTheLocalZone) {
  struct Case {
    const char* zone;
    int day;
    int hour;
  };
  const Case cases[] = {{"UTC0", 7, 14}, {"CET-1", 7, 15}, {"XYZ+15", 6, 23}};
  for (const Case& c : cases) {
    ScopedTimeZone zone(c.zone);
    const LocalTime t = LocalTimeAt(kMoment);
    EXPECT_EQ(t.year, 2015) << c.zone;
    EXPECT_EQ(t.month, 3) << c.zone;
    EXPECT_EQ(t.day, c.day) << c.zone;
    EXPECT_EQ(t.hour, c.hour) << c.zone;
    EXPECT_EQ(t.minute, 5) << c.zone;
    EXPECT_EQ(t.second, 9) << c.zone;
    EXPECT_EQ(t.milliseconds, 42) << c.zone << ": cut off, not rounded";
  }
}

TEST(ReadLocalTime, AgreesWithTheSystemClock) {
  ScopedTimeZone zone("UTC0");
  const time_t before = time(nullptr);
  const LocalTime now = ReadLocalTime();
  tm expected{};
  gmtime_r(&before, &expected);
  EXPECT_EQ(now.year, expected.tm_year + 1900);
  EXPECT_GE(now.milliseconds, 0);
  EXPECT_LE(now.milliseconds, 999);
  // Allow the second to tick over between the two readings.
  const int nowSeconds = now.hour * 3600 + now.minute * 60 + now.second;
  const int expectedSeconds = expected.tm_hour * 3600 + expected.tm_min * 60 + expected.tm_sec;
  EXPECT_LE((nowSeconds - expectedSeconds + 86400) % 86400, 1);
}

}  // namespace
