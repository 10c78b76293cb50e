// File information of an open file by GetFileInformationByHandle.
#include "platform/file_status.h"

#include <windows.h>

#include <cerrno>

#include "platform/windows_error.h"
#include "platform/windows_file.h"

namespace {

constexpr uint32_t kKnownAttributes = kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem |
                                      kFileAttributeDirectory | kFileAttributeArchive;

uint64_t Ticks(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

}  // namespace

bool ReadFileStatus(int fd, std::string_view, FileStatus& status) {
  const HANDLE handle = HandleOfDescriptor(fd);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return false;
  }
  status = FileStatus{};
  // A pipe, console or device has no file information: it is simply no
  // regular file.
  if (GetFileType(handle) != FILE_TYPE_DISK) return true;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) {
    SetErrnoFromLastError();
    return false;
  }
  status.attributes = info.dwFileAttributes & kKnownAttributes;
  status.isRegularFile = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  status.creationTime = Ticks(info.ftCreationTime);
  status.lastAccessTime = Ticks(info.ftLastAccessTime);
  status.lastWriteTime = Ticks(info.ftLastWriteTime);
  status.sizeBytes = static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  status.deviceId = info.dwVolumeSerialNumber;
  status.inode = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  return true;
}
