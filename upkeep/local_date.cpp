// Calendar days: the day number of a date and its text.
#include "upkeep/local_date.h"

#include <cstdio>

LocalDate DateOf(const LocalTime& time) { return LocalDate{time.year, time.month, time.day}; }

int64_t DayNumber(const LocalDate& date) {
  // Howard Hinnant's days_from_civil: years counted from March, so that the
  // leap day ends a year.
  const int64_t year = static_cast<int64_t>(date.year) - (date.month <= 2 ? 1 : 0);
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t monthFromMarch = (date.month + 9) % 12;
  const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

std::string DateText(const LocalDate& date) {
  char text[48];  // room for any int fields
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

std::optional<LocalDate> ParseDate(std::string_view text, char separator) {
  constexpr size_t kDateBytes = 10;  // "YYYY-MM-DD"
  if (text.size() != kDateBytes || text[4] != separator || text[7] != separator) return std::nullopt;
  int fields[3] = {0, 0, 0};
  int field = 0;
  for (size_t i = 0; i < kDateBytes; ++i) {
    if (i == 4 || i == 7) {
      ++field;
    } else if (text[i] >= '0' && text[i] <= '9') {
      fields[field] = fields[field] * 10 + (text[i] - '0');
    } else {
      return std::nullopt;
    }
  }
  const LocalDate date{fields[0], fields[1], fields[2]};
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return std::nullopt;
  return date;
}
