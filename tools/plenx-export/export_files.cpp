// System calls of plenx-export: open, read, write, close, stat, unlink.
#include "tools/plenx-export/export_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Permission bits of a new CSV file, before the umask.
constexpr mode_t kNewFileMode = 0666;

template <typename Call>
auto RetryOnInterrupt(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

}  // namespace

int OpenForReading(const std::string& path) {
  return RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY); });
}

bool ReadSome(int fd, char* buffer, size_t capacity, size_t& got) {
  const ssize_t result = RetryOnInterrupt([&] { return read(fd, buffer, capacity); });
  if (result < 0) return false;
  got = static_cast<size_t>(result);
  return true;
}

int CreateForWriting(const std::string& path) {
  return RetryOnInterrupt(
      [&] { return open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, kNewFileMode); });
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = RetryOnInterrupt([&] { return write(fd, data.data(), data.size()); });
    if (written < 0) return false;
    if (written == 0) {
      errno = EIO;  // a write that takes nothing would repeat for ever
      return false;
    }
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool CloseFile(int fd) {
  // Not retried: after EINTR the descriptor is closed already on Linux.
  return close(fd) == 0 || errno == EINTR;
}

bool IsSameFile(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

bool IsRegularFile(int fd) {
  struct stat status {};
  return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }
