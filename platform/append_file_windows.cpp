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

}  // namespace

int OpenLockedForAppend(const std::string& path, bool* created) {
  const std::wstring widePath = WidePath(path);
  // Share mode read only: while this handle is open, every other open for
  // writing fails, and this open fails while another writer holds the file.
  // Readers are let in. A rename or removal is refused too (Windows says the
  // file is in use): a name removed while open would stay taken until the
  // close, so no new file of that name could take the run's next lines.
  // No DELETE access either, which would shut out every reader that does
  // not share deletion (most do not).
  const HANDLE handle = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    SetErrnoForFailedOpen(widePath);
    return -1;
  }
  const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
  const int fd = DescriptorForHandle(handle, O_RDWR | O_APPEND);
  if (fd >= 0 && created != nullptr) *created = made;
  return fd;
}

void CloseRemovingIfUnused(int fd, const std::string& path, bool createdByOpen) {
  LARGE_INTEGER size{};
  const bool unused = createdByOpen && GetFileSizeEx(HandleOfDescriptor(fd), &size) && size.QuadPart == 0;
  CloseFile(fd);
  // A writer that took the file in the moment between holds it open, and
  // the removal fails.
  if (unused) DeleteFileW(WidePath(path).c_str());
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
  FileIdentity openIdentity;
  if (!ReadIdentity(HandleOfDescriptor(fd), openIdentity)) return true;
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
