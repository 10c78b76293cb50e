// Existence test by directory search with FindFirstFileW.
#include "platform/file_search.h"

#include <windows.h>

#include "platform/windows_file.h"

bool DirectorySearchFindsEntry(const std::string& name) {
  if (name.empty() || name.back() == '/' || name.back() == '\\') return false;
  WIN32_FIND_DATAW found{};
  const HANDLE search =
      FindFirstFileExW(WidePath(name).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}
