// Local wall-clock time with milliseconds from GetLocalTime.
#include "platform/local_time.h"

#include <windows.h>

#include "platform/file_status.h"

namespace {

constexpr long kNanosecondsPerTick = 100;

LocalTime FromSystemTime(const SYSTEMTIME& time) {
  LocalTime result;
  result.year = time.wYear;
  result.month = time.wMonth;
  result.day = time.wDay;
  result.hour = time.wHour;
  result.minute = time.wMinute;
  result.second = time.wSecond;
  result.milliseconds = time.wMilliseconds;
  return result;
}

}  // namespace

LocalTime ReadLocalTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return FromSystemTime(now);
}

LocalTime LocalTimeAt(const timespec& moment) {
  const int64_t ticks =
      (static_cast<int64_t>(moment.tv_sec) * static_cast<int64_t>(kFileTimeTicksPerSecond)) +
      moment.tv_nsec / kNanosecondsPerTick + static_cast<int64_t>(kFileTimeAtUnixEpoch);
  if (ticks < 0) return LocalTime{};
  FILETIME fileTime{};
  fileTime.dwLowDateTime = static_cast<DWORD>(ticks);
  fileTime.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  if (!FileTimeToSystemTime(&fileTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    return LocalTime{};
  }
  return FromSystemTime(local);
}
