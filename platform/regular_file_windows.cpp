// The file type of a path, by its attributes.
#include "platform/regular_file.h"

#include <windows.h>

#include "platform/windows_file.h"

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  // A device name ("NUL", "COM1") has no attributes of a file on a disk.
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
}
