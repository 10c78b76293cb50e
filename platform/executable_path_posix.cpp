// Reads the running executable's path from /proc/self/exe.
#include "platform/executable_path.h"

#include <unistd.h>

namespace {
constexpr const char* kSelfExecutableLink = "/proc/self/exe";
constexpr size_t kInitialPathBytes = 256;
constexpr size_t kMaxPathBytes = 1 << 16;
}  // namespace

std::string ExecutablePath() {
  // readlink does not say whether it truncated, so grow until the path fits
  // with room to spare.
  for (size_t capacity = kInitialPathBytes; capacity <= kMaxPathBytes; capacity *= 2) {
    std::string buffer(capacity, '\0');
    const ssize_t length = readlink(kSelfExecutableLink, buffer.data(), buffer.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
  }
  return {};
}
