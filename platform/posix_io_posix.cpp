// System calls on file descriptors, retried after signals.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix_io.h"

namespace {

// Permission bits of a new file, before the umask.
constexpr mode_t kNewFileMode = 0666;

}  // namespace

int OpenFile(const char* path, int flags, mode_t mode) {
  return RetryOnInterrupt([&] { return open(path, flags, mode); });
}

int OpenForReading(const std::string& path, ReadOpenMode mode) {
  const int wait = mode == ReadOpenMode::kNeverWait ? O_NONBLOCK : 0;
  return OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | wait);
}

int CreateForWriting(const std::string& path) {
  return OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, kNewFileMode);
}

void UseBinaryStandardStreams() {}

bool CloseFile(int fd) { return close(fd) == 0; }

ssize_t ReadSome(int fd, void* buffer, size_t count) {
  return RetryOnInterrupt([&] { return read(fd, buffer, count); });
}

ssize_t WriteSome(int fd, const void* bytes, size_t count) {
  return RetryOnInterrupt([&] { return write(fd, bytes, count); });
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
