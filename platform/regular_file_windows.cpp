// The file type of a path, from a handle to it.
#include "platform/regular_file.h"

#include <windows.h>

#include "platform/windows_file.h"

bool IsRegularFile(const std::string& path) {
  // Opened without asking for any access, which no other opener refuses:
  // only a handle tells a device ("NUL", "COM1") from a file on a disk.
  const HANDLE handle =
      CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(handle);
  return regular;
}
