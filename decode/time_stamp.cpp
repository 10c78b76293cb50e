// Wall-clock milliseconds from calendar fields and back, and ISO 8601 text.
#include "decode/time_stamp.h"

namespace {

// Days from 1970-01-01 to year-month-day in the proleptic Gregorian calendar,
// counted in 400-year eras of 146097 days with March as the first month, so
// that the leap day ends its year.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;                                          // 0 to 399
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;  // 0 to 365
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// The inverse of DaysFromCivil.
void CivilFromDays(int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// a divided by b (b > 0), rounded towards minus infinity.
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

}  // namespace

int64_t WallClockMs(const LocalTime& time) {
  return DaysFromCivil(time.year, time.month, time.day) * kMsPerDay + time.hour * kMsPerHour +
         time.minute * kMsPerMinute + time.second * kMsPerSecond + time.milliseconds;
}

LocalTime WallClockTime(int64_t ms) {
  LocalTime time;
  const int64_t days = FloorDiv(ms, kMsPerDay);
  int64_t rest = ms - days * kMsPerDay;
  CivilFromDays(days, time.year, time.month, time.day);
  time.hour = static_cast<int>(rest / kMsPerHour);
  rest %= kMsPerHour;
  time.minute = static_cast<int>(rest / kMsPerMinute);
  rest %= kMsPerMinute;
  time.second = static_cast<int>(rest / kMsPerSecond);
  time.milliseconds = static_cast<int>(rest % kMsPerSecond);
  return time;
}

void AppendIsoTime(const LocalTime& time, std::string& out) {
  char text[] = "YYYY-MM-DDThh:mm:ss.mmm";
  const auto put = [&text](size_t end, int value, int digits) {
    for (; digits > 0; --digits, value /= 10) text[--end] = static_cast<char>('0' + value % 10);
  };
  put(4, time.year, 4);
  put(7, time.month, 2);
  put(10, time.day, 2);
  put(13, time.hour, 2);
  put(16, time.minute, 2);
  put(19, time.second, 2);
  put(23, time.milliseconds, 3);
  out.append(text, sizeof text - 1);
}
