// Local wall-clock time with milliseconds, as the log's time stamps need it.
#pragma once

#include <compare>
#include <ctime>

// One moment of local time split into calendar fields, as a person reads it.
struct LocalTime {
  int year = 1970;       // full year, e.g. 2015
  int month = 1;         // 1 to 12
  int day = 1;           // 1 to 31
  int hour = 0;          // 0 to 23
  int minute = 0;        // 0 to 59
  int second = 0;        // 0 to 59 (60 during a leap second)
  int milliseconds = 0;  // 0 to 999

  // Field by field from the year down, so earlier times compare less.
  auto operator<=>(const LocalTime&) const = default;
};

// The current local time: on Linux under the process's time zone (TZ), on
// Windows under the system's (GetLocalTime). Any thread.
LocalTime ReadLocalTime();

// The local time of moment (seconds and nanoseconds since the epoch), in the
// same zone as ReadLocalTime, with the daylight-saving rule of that date;
// the sub-millisecond part is cut off, not rounded, so a stamp never runs
// ahead of the clock. The epoch (in fields) when the moment cannot be
// converted.
LocalTime LocalTimeAt(const timespec& moment);
