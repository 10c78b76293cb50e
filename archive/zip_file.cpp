// POSIX side of the ZIP writer's file access; system calls interrupted by a
// signal are retried.
#include "archive/zip_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

// New archives get read and write permission for everyone the umask allows,
// as an ordinary new file does.
constexpr mode_t kNewFileMode = 0666;

}  // namespace

ZipFile::~ZipFile() {
  if (m_fd >= 0) ::close(m_fd);
}

ZipFile::ZipFile(ZipFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

ZipFile& ZipFile::operator=(ZipFile&& other) noexcept {
  if (this != &other) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

ZipFile ZipFile::CreateAlways(const char* path) {
  int fd;
  do {
    fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
  } while (fd < 0 && errno == EINTR);
  return ZipFile(fd);
}

ZipFile ZipFile::OpenExisting(const char* path) {
  int fd;
  do {
    // O_NONBLOCK only matters for FIFOs and devices, which the writer then
    // refuses; on a regular file reads block as usual.
    fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return ZipFile(fd);
}

size_t ZipFile::Read(uint8_t* buffer, size_t count, bool* failed) {
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(m_fd, buffer + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *failed = true;
      break;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

size_t ZipFile::Write(const uint8_t* bytes, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t put = ::write(m_fd, bytes + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  return done;
}

size_t ZipFile::WriteAt(const uint8_t* bytes, size_t count, uint64_t offset) {
  size_t done = 0;
  while (done < count) {
    const ssize_t put = ::pwrite(m_fd, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<size_t>(put);
  }
  return done;
}

bool ZipFile::Close() {
  if (m_fd < 0) return true;
  // The descriptor is released even when close reports an error; retrying
  // after EINTR could close a descriptor that another thread just opened.
  const int result = ::close(std::exchange(m_fd, -1));
  return result == 0;
}
