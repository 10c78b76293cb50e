// Whole transfers over the system's single reads and writes.
#include <algorithm>
#include <cerrno>

#include "platform/posix_io.h"

namespace {

// ReadToEnd grows its text by at most this much per read.
constexpr size_t kReadChunkBytes = 64 * 1024;

}  // namespace

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
