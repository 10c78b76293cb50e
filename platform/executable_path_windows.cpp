// The running executable's path from GetModuleFileNameW.
#include "platform/executable_path.h"

#include <windows.h>

#include "platform/windows_file.h"

namespace {
constexpr DWORD kInitialPathUnits = 260;
constexpr DWORD kMaxPathUnits = 1 << 15;
}  // namespace

std::string ExecutablePath() {
  // A path that did not fit comes back cut to the buffer, filling it.
  for (DWORD capacity = kInitialPathUnits; capacity <= kMaxPathUnits; capacity *= 2) {
    std::wstring buffer(capacity, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), capacity);
    if (length == 0) return {};
    if (length < capacity) {
      buffer.resize(length);
      return NarrowPath(buffer);
    }
  }
  return {};
}
