// Append-only files on Windows: an open that refuses other writers by its
// share mode, whole writes.
#include "platform/append_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>

#include "platform/posix_io.h"
#include "platform/windows_error.h"
#include "platform/windows_file.h"

namespace {

// The identity of an open file: its volume and its number there.
struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FileIdentity&) const = default;
};

bool ReadIdentity(HANDLE handle, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return false;
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

bool IsDeletePending(HANDLE handle) {
  FILE_STANDARD_INFO info{};
  return GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info) && info.DeletePending;
}

}  // namespace

int OpenLockedForAppend(const std::string& path, bool* created) {
  const std::wstring widePath = WidePath(path);
  // No FILE_SHARE_WRITE: while this handle is open, every other open for
  // writing fails, and this open fails while another writer holds the file.
  // Readers are let in, and so are a rename or a removal of the file (which
  // PathStillNames notices).
  const HANDLE handle =
      CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    SetErrnoForFailedOpen(widePath);
    return -1;
  }
  const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
  const int fd = DescriptorForHandle(handle, O_RDWR | O_APPEND);
  if (fd >= 0 && created != nullptr) *created = made;
  return fd;
}

void CloseRemovingIfUnused(int fd, const std::string&, bool createdByOpen) {
  const HANDLE handle = HandleOfDescriptor(fd);
  LARGE_INTEGER size{};
  // Marked for removal through the handle that still holds the file, so no
  // other writer can have begun on it; it goes with the close.
  if (createdByOpen && GetFileSizeEx(handle, &size) && size.QuadPart == 0) {
    FILE_DISPOSITION_INFO remove{};
    remove.DeleteFile = TRUE;
    SetFileInformationByHandle(handle, FileDispositionInfo, &remove, sizeof remove);
  }
  CloseFile(fd);
}

bool AppendWhole(int fd, std::string_view bytes) {
  const size_t writtenBytes = WriteAll(fd, bytes);
  if (writtenBytes == bytes.size()) return true;
  const int error = errno;
  if (writtenBytes > 0) {
    // Appending leaves the file position at the end of what was just written.
    const int64_t end = _lseeki64(fd, 0, SEEK_CUR);
    if (end >= static_cast<int64_t>(writtenBytes)) _chsize_s(fd, end - static_cast<int64_t>(writtenBytes));
  }
  errno = error;
  return false;
}

bool PathStillNames(int fd, const std::string& path) {
  const HANDLE open = HandleOfDescriptor(fd);
  FileIdentity openIdentity;
  if (!ReadIdentity(open, openIdentity)) return true;
  // Removed while open: the name may linger until the last handle closes.
  if (IsDeletePending(open)) return false;
  const HANDLE named = CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }
  FileIdentity namedIdentity;
  const bool read = ReadIdentity(named, namedIdentity);
  CloseHandle(named);
  return !read || namedIdentity == openIdentity;
}
