// File size, positioned reads and truncation through a descriptor's handle.
#include "platform/file_tail.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_sync.h"
#include "platform/windows_error.h"
#include "platform/windows_file.h"

namespace {
// ReadFile takes at most this many bytes per call.
constexpr size_t kMaxReadBytes = 1 << 30;
}  // namespace

std::optional<uint64_t> FileSizeOf(int fd) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(HandleOfDescriptor(fd), &size)) {
    SetErrnoFromLastError();
    return std::nullopt;
  }
  return static_cast<uint64_t>(size.QuadPart);
}

size_t ReadAt(int fd, void* buffer, size_t count, uint64_t offset, bool& failed) {
  const HANDLE handle = HandleOfDescriptor(fd);
  // A positioned read moves the file position of a synchronous handle; it
  // is put back afterwards.
  const int64_t position = _lseeki64(fd, 0, SEEK_CUR);
  auto* next = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset + done);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    DWORD got = 0;
    if (!ReadFile(handle, next + done, static_cast<DWORD>(std::min(count - done, kMaxReadBytes)), &got,
                  &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      SetErrnoFromLastError();
      failed = true;
      break;
    }
    if (got == 0) break;
    done += got;
  }
  const int error = errno;
  if (position >= 0) _lseeki64(fd, position, SEEK_SET);
  errno = error;
  return done;
}

bool CutFileTo(int fd, uint64_t sizeBytes) {
  const errno_t error = _chsize_s(fd, static_cast<int64_t>(sizeBytes));
  if (error != 0) {
    errno = error;
    return false;
  }
  return SyncFileData(fd);
}
