// Append-only files on Linux: open with an advisory lock, whole writes.
#include "platform/append_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix_io.h"

namespace {

// Permission bits of a newly created file, before the umask.
constexpr mode_t kNewFileMode = 0666;

}  // namespace

int OpenLockedForAppend(const std::string& path, bool* created) {
  // O_APPEND puts every write after whatever the file holds at that moment,
  // so existing content is never overwritten. No O_TRUNC, ever. O_NONBLOCK
  // does nothing to a regular file; for a pipe or device given as the name
  // it turns a stalled write into a write error instead of a frozen program.
  // O_EXCL first, so that whether this open made the file is known for sure.
  constexpr int kFlags = O_RDWR | O_APPEND | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
  bool made = true;
  int fd = OpenFile(path.c_str(), kFlags | O_CREAT | O_EXCL, kNewFileMode);
  if (fd < 0 && errno == EEXIST) {
    made = false;
    fd = OpenFile(path.c_str(), kFlags | O_CREAT, kNewFileMode);
  }
  if (fd < 0) return -1;
  // Another writer holds the file: refuse it like a failed open. A file
  // system without lock support still gets its file, unlocked.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    CloseFile(fd);
    errno = EWOULDBLOCK;
    return -1;
  }
  if (created != nullptr) *created = made;
  return fd;
}

void CloseRemovingIfUnused(int fd, const std::string& path, bool createdByOpen) {
  struct stat status {};
  // Removed while still locked, so no other writer can have begun on it.
  if (createdByOpen && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size == 0) {
    unlink(path.c_str());
  }
  CloseFile(fd);
}

bool AppendWhole(int fd, std::string_view bytes) {
  const size_t writtenBytes = WriteAll(fd, bytes);
  if (writtenBytes == bytes.size()) return true;
  const int error = errno;
  if (writtenBytes > 0) {
    // With O_APPEND the file position is the end of what was just written.
    const off_t end = lseek(fd, 0, SEEK_CUR);
    if (end >= static_cast<off_t>(writtenBytes)) {
      RetryOnInterrupt([&] { return ftruncate(fd, end - static_cast<off_t>(writtenBytes)); });
    }
  }
  errno = error;
  return false;
}

bool PathStillNames(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  if (fstat(fd, &open) != 0) return true;
  if (stat(path.c_str(), &named) != 0) return errno != ENOENT && errno != ENOTDIR;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
