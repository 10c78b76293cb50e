// File time to Unix time and to DOS date and time.
#include "archive/zip_times.h"

#include <chrono>

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
  // Calendar fields of the whole second the time falls in, in UTC, by the
  // proleptic Gregorian calendar (as the C library's gmtime counts).
  using namespace std::chrono;
  const sys_seconds moment{seconds{static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond) -
                                   static_cast<int64_t>(kFileTimeAtUnixEpoch / kFileTimeTicksPerSecond)}};
  const sys_days day = floor<days>(moment);
  const year_month_day date{day};
  const hh_mm_ss clock{moment - day};
  const int year = static_cast<int>(date.year());
  const int yearField = ((year - kDosEpochYear) % kDosYearSpan + kDosYearSpan) % kDosYearSpan;
  const uint32_t dateField =
      static_cast<uint32_t>(yearField * 512 + static_cast<int>(unsigned(date.month())) * 32 +
                            static_cast<int>(unsigned(date.day())));
  const uint32_t timeField = static_cast<uint32_t>(
      clock.hours().count() * 2048 + clock.minutes().count() * 32 + clock.seconds().count() / 2);
  return dateField << 16 | timeField;
}
