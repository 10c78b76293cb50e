// Free space from GetDiskFreeSpaceExW.
#include "platform/free_space.h"

#include <windows.h>

#include "platform/windows_error.h"
#include "platform/windows_file.h"

std::optional<uint64_t> FreeBytesAt(const std::string& path) {
  // What this user may still write, quotas counted.
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(WidePath(path).c_str(), &available, nullptr, nullptr)) {
    SetErrnoFromLastError();
    return std::nullopt;
  }
  return available.QuadPart;
}
