// Record time stamps as points on a line of milliseconds, for charts and
// ranges, and as ISO 8601 text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/local_time.h"

inline constexpr int64_t kMsPerSecond = 1000;
inline constexpr int64_t kMsPerMinute = 60 * kMsPerSecond;
inline constexpr int64_t kMsPerHour = 60 * kMsPerMinute;
inline constexpr int64_t kMsPerDay = 24 * kMsPerHour;

// Milliseconds from 1970-01-01 00:00:00.000 to time, both read on one
// wall clock that never changes for daylight saving: the difference of two
// stamps is the time between them as their clock showed it. A leap second
// (second 60) counts as second 0 of the next minute. Valid for any year of
// the proleptic Gregorian calendar; earlier moments are negative.
int64_t WallClockMs(const LocalTime& time);

// The inverse of WallClockMs: the calendar fields of ms (never a second 60).
LocalTime WallClockTime(int64_t ms);

// Appends time as ISO 8601 with milliseconds, "2015-03-07T14:05:09.042".
// Every field must lie within its range and the year within 0 to 9999, as
// they do in every time ParseLogLine gives.
void AppendIsoTime(const LocalTime& time, std::string& out);
