// Absolute paths for messages by GetFullPathNameW.
#include "platform/full_path.h"

#include <windows.h>

#include "platform/windows_file.h"

std::string FullPath(const std::string& path) {
  const std::wstring widePath = WidePath(path.empty() ? std::string(".") : path);
  // The first call tells the size the result needs, terminating zero included.
  const DWORD needed = GetFullPathNameW(widePath.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(widePath.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return NarrowPath(full);
}
