// File size, positional reads and truncation on a POSIX descriptor.
#include "platform/file_tail.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_sync.h"
#include "platform/posix_io.h"

std::optional<uint64_t> FileSizeOf(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return std::nullopt;
  return static_cast<uint64_t>(status.st_size);
}

size_t ReadAt(int fd, void* buffer, size_t count, uint64_t offset, bool& failed) {
  auto* next = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = RetryOnInterrupt(
        [&] { return pread(fd, next + done, count - done, static_cast<off_t>(offset + done)); });
    if (got < 0) failed = true;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

bool CutFileTo(int fd, uint64_t sizeBytes) {
  return RetryOnInterrupt([&] { return ftruncate(fd, static_cast<off_t>(sizeBytes)); }) == 0 &&
         SyncFileData(fd);
}
