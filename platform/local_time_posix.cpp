// Local wall-clock time with milliseconds from the real-time clock.
#include "platform/local_time.h"

namespace {
constexpr long kNanosecondsPerMillisecond = 1'000'000;
}  // namespace

LocalTime ReadLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return LocalTimeAt(now);
}

LocalTime LocalTimeAt(const timespec& moment) {
  LocalTime result;
  tm fields{};
  const time_t seconds = moment.tv_sec;
  if (localtime_r(&seconds, &fields) == nullptr) {
    return result;
  }
  result.year = fields.tm_year + 1900;
  result.month = fields.tm_mon + 1;
  result.day = fields.tm_mday;
  result.hour = fields.tm_hour;
  result.minute = fields.tm_min;
  result.second = fields.tm_sec;
  result.milliseconds = static_cast<int>(moment.tv_nsec / kNanosecondsPerMillisecond);
  return result;
}
