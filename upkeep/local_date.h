// A calendar day of local time, as day files and their archives are named.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/local_time.h"

struct LocalDate {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31

  // Earlier days compare less.
  auto operator<=>(const LocalDate&) const = default;
};

// The day of time.
LocalDate DateOf(const LocalTime& time);

// Days from 1970-01-01 to date in the proleptic Gregorian calendar
// (negative before it): the difference of two gives the days between them,
// whatever the time zone did in between.
int64_t DayNumber(const LocalDate& date);

// date as "YYYY-MM-DD", the way archive names carry it.
std::string DateText(const LocalDate& date);

// A date written as "YYYY<separator>MM<separator>DD" (all of text), as
// archive names ("-") and log lines ("/") carry it; nothing for any other
// text or a month or day out of range.
std::optional<LocalDate> ParseDate(std::string_view text, char separator);
