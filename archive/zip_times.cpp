// File time to Unix time and to DOS date and time.
#include "archive/zip_times.h"

#include <time.h>

#include "platform/file_status.h"

namespace {

constexpr int kDosEpochYear = 1980;
// The DOS date keeps the year in 7 bits.
constexpr int kDosYearSpan = 128;

}  // namespace

uint32_t UnixTimeField(uint64_t fileTime) {
  // Signed: times before 1970 are negative and truncate toward zero.
  const int64_t ticks = static_cast<int64_t>(fileTime - kFileTimeAtUnixEpoch);
  const int64_t seconds = ticks / static_cast<int64_t>(kFileTimeTicksPerSecond);
  return static_cast<uint32_t>(seconds);
}

uint32_t DosDateTime(uint64_t fileTime) {
  // Calendar fields of the whole second the time falls in, as a calendar
  // conversion of the file time gives them.
  const time_t unixSeconds = static_cast<time_t>(fileTime / kFileTimeTicksPerSecond) -
                             static_cast<time_t>(kFileTimeAtUnixEpoch / kFileTimeTicksPerSecond);
  struct tm utc {};
  if (gmtime_r(&unixSeconds, &utc) == nullptr) {
    return 0;
  }
  const int year = utc.tm_year + 1900;
  const int yearField = ((year - kDosEpochYear) % kDosYearSpan + kDosYearSpan) % kDosYearSpan;
  const uint32_t date = static_cast<uint32_t>(yearField * 512 + (utc.tm_mon + 1) * 32 + utc.tm_mday);
  const uint32_t time = static_cast<uint32_t>(utc.tm_hour * 2048 + utc.tm_min * 32 + utc.tm_sec / 2);
  return date << 16 | time;
}
