// Descriptor I/O on Windows: CreateFileW behind the C runtime's descriptors,
// whose reads and writes on a binary descriptor are ReadFile and WriteFile.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/posix_io.h"
#include "platform/windows_error.h"
#include "platform/windows_file.h"

namespace {

// The C runtime moves at most this much per call.
constexpr size_t kMaxTransferBytes = INT_MAX;
constexpr int kAccessModeMask = O_RDONLY | O_WRONLY | O_RDWR;

DWORD DesiredAccess(int flags) {
  switch (flags & kAccessModeMask) {
    case O_WRONLY:
      return GENERIC_WRITE;
    case O_RDWR:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return GENERIC_READ;
  }
}

DWORD CreationDisposition(int flags) {
  const bool create = (flags & O_CREAT) != 0;
  const bool truncate = (flags & O_TRUNC) != 0;
  if (create && (flags & O_EXCL) != 0) return CREATE_NEW;
  if (create) return truncate ? CREATE_ALWAYS : OPEN_ALWAYS;
  return truncate ? TRUNCATE_EXISTING : OPEN_EXISTING;
}

}  // namespace

int OpenFile(const char* path, int flags, mode_t) {
  const std::wstring widePath = WidePath(path);
  // Others may read, write, rename and remove the file meanwhile, as on
  // Linux; the callers that must hold a file alone ask for that themselves.
  // A folder opens for reading, as on Linux (its reads fail, and its status
  // says what it is).
  const DWORD folders = (flags & kAccessModeMask) == O_RDONLY ? FILE_FLAG_BACKUP_SEMANTICS : 0;
  const HANDLE handle = CreateFileW(widePath.c_str(), DesiredAccess(flags),
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CreationDisposition(flags), FILE_ATTRIBUTE_NORMAL | folders, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    SetErrnoForFailedOpen(widePath);
    return -1;
  }
  return DescriptorForHandle(handle, flags);
}

int OpenForReading(const std::string& path, ReadOpenMode) {
  // Neither a named pipe's nor a device's open waits on Windows.
  return OpenFile(path.c_str(), O_RDONLY);
}

int CreateForWriting(const std::string& path) { return OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC); }

void UseBinaryStandardStreams() {
  for (int fd : {kStandardInput, kStandardOutput, kStandardError}) _setmode(fd, _O_BINARY);
}

bool CloseFile(int fd) { return _close(fd) == 0; }

ssize_t ReadSome(int fd, void* buffer, size_t count) {
  const ssize_t got = _read(fd, buffer, static_cast<unsigned>(std::min(count, kMaxTransferBytes)));
  // A folder opened for reading refuses to be read as Linux's does.
  BY_HANDLE_FILE_INFORMATION info{};
  if (got < 0 && GetFileInformationByHandle(HandleOfDescriptor(fd), &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
  }
  return got;
}

ssize_t WriteSome(int fd, const void* bytes, size_t count) {
  return _write(fd, bytes, static_cast<unsigned>(std::min(count, kMaxTransferBytes)));
}

bool SyncFile(int fd) {
  const HANDLE handle = HandleOfDescriptor(fd);
  if (handle == INVALID_HANDLE_VALUE) {
    errno = EBADF;
    return false;
  }
  // Only files on a disk can be flushed; a device or pipe reports EINVAL,
  // as Linux's fsync does for them.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    errno = EINVAL;
    return false;
  }
  if (FlushFileBuffers(handle)) return true;
  SetErrnoFromLastError();
  return false;
}

size_t WriteAllAt(int fd, const void* bytes, size_t count, uint64_t offset) {
  const HANDLE handle = HandleOfDescriptor(fd);
  // A positioned write moves the file position of a synchronous handle;
  // it is put back afterwards.
  const int64_t position = _lseeki64(fd, 0, SEEK_CUR);
  const auto* next = static_cast<const char*>(bytes);
  size_t done = 0;
  while (done < count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD written = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(count - done, kMaxTransferBytes));
    if (!WriteFile(handle, next + done, wanted, &written, &at)) {
      SetErrnoFromLastError();
      break;
    }
    if (written == 0) {
      errno = ENOSPC;
      break;
    }
    done += written;
  }
  const int error = errno;
  if (position >= 0) _lseeki64(fd, position, SEEK_SET);
  errno = error;
  return done;
}
