// System calls on file descriptors, retried after signals and continued
// after partial transfers.
#include "platform/posix_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// ReadToEnd grows its text by at most this much per read.
constexpr size_t kReadChunkBytes = 64 * 1024;

}  // namespace

int OpenFile(const char* path, int flags, mode_t mode) {
  return RetryOnInterrupt([&] { return open(path, flags, mode); });
}

bool CloseFile(int fd) { return close(fd) == 0; }

ssize_t ReadSome(int fd, void* buffer, size_t count) {
  return RetryOnInterrupt([&] { return read(fd, buffer, count); });
}

ssize_t WriteSome(int fd, const void* bytes, size_t count) {
  return RetryOnInterrupt([&] { return write(fd, bytes, count); });
}

size_t WriteAll(int fd, const void* bytes, size_t count) {
  const auto* next = static_cast<const char*>(bytes);
  size_t done = 0;
  while (done < count) {
    const ssize_t written = WriteSome(fd, next + done, count - done);
    // A write that accepts nothing would repeat for ever; it counts as full.
    if (written == 0) errno = ENOSPC;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  return done;
}

bool SyncFile(int fd) {
  return RetryOnInterrupt([&] { return fsync(fd); }) == 0;
}

size_t WriteAllAt(int fd, const void* bytes, size_t count, uint64_t offset) {
  const auto* next = static_cast<const char*>(bytes);
  size_t done = 0;
  while (done < count) {
    const ssize_t written = RetryOnInterrupt(
        [&] { return pwrite(fd, next + done, count - done, static_cast<off_t>(offset + done)); });
    if (written == 0) errno = ENOSPC;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  return done;
}

size_t ReadAll(int fd, void* buffer, size_t count, bool& failed) {
  auto* next = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ReadSome(fd, next + done, count - done);
    if (got < 0) failed = true;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

std::optional<std::string> ReadToEnd(int fd, size_t maxBytes) {
  std::string bytes;
  while (bytes.size() < maxBytes) {
    const size_t start = bytes.size();
    const size_t wanted = std::min(maxBytes - start, kReadChunkBytes);
    bytes.resize(start + wanted);
    bool failed = false;
    const size_t got = ReadAll(fd, bytes.data() + start, wanted, failed);
    bytes.resize(start + got);
    if (failed) return std::nullopt;
    if (got < wanted) break;  // the end of the file
  }
  return bytes;
}
