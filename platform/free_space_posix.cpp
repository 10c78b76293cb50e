// Free space from statvfs(3).
#include "platform/free_space.h"

#include <sys/statvfs.h>

#include "platform/posix_io.h"

std::optional<uint64_t> FreeBytesAt(const std::string& path) {
  struct statvfs disk {};
  if (RetryOnInterrupt([&] { return statvfs(path.c_str(), &disk); }) != 0) return std::nullopt;
  return static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize;
}
