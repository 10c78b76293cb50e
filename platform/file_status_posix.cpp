// statx-based file information with DOS attributes and 100-ns file times.
#include "platform/file_status.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <limits>

namespace {

constexpr int64_t kNanosecondsPerTick = 100;
// Seconds between 1601-01-01 and 1970-01-01.
constexpr int64_t kSecondsBeforeUnixEpoch =
    static_cast<int64_t>(kFileTimeAtUnixEpoch / kFileTimeTicksPerSecond);
// Largest Unix second whose file time still fits in a signed 64-bit count,
// the range the calendar conversion of file times accepts.
constexpr int64_t kLastRepresentableSecond =
    std::numeric_limits<int64_t>::max() / static_cast<int64_t>(kFileTimeTicksPerSecond) -
    kSecondsBeforeUnixEpoch - 1;

uint64_t FileTimeFromStatx(const struct statx_timestamp& time) {
  if (time.tv_sec < -kSecondsBeforeUnixEpoch) {
    return 0;
  }
  const int64_t seconds = time.tv_sec < kLastRepresentableSecond ? time.tv_sec : kLastRepresentableSecond;
  return static_cast<uint64_t>(seconds + kSecondsBeforeUnixEpoch) * kFileTimeTicksPerSecond +
         time.tv_nsec / kNanosecondsPerTick;
}

bool NameIsHidden(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return !name.empty() && name.front() == '.';
}

}  // namespace

bool ReadFileStatus(int fd, std::string_view path, FileStatus& status) {
  struct statx info {};
  if (statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
    return false;
  }
  status = FileStatus{};
  const bool isDirectory = S_ISDIR(info.stx_mode);
  status.isRegularFile = S_ISREG(info.stx_mode);
  status.ownerExecutable = (info.stx_mode & S_IXUSR) != 0;
  if ((info.stx_mode & S_IWUSR) == 0) {
    status.attributes |= kFileAttributeReadOnly;
  }
  if (NameIsHidden(path)) {
    status.attributes |= kFileAttributeHidden;
  }
  if (isDirectory) {
    status.attributes |= kFileAttributeDirectory;
  }
  if (status.isRegularFile) {
    status.attributes |= kFileAttributeArchive;
  }
  status.lastWriteTime = FileTimeFromStatx(info.stx_mtime);
  status.lastAccessTime = FileTimeFromStatx(info.stx_atime);
  status.creationTime =
      FileTimeFromStatx((info.stx_mask & STATX_BTIME) != 0 ? info.stx_btime : info.stx_ctime);
  status.sizeBytes = info.stx_size;
  status.deviceId = static_cast<uint64_t>(info.stx_dev_major) << 32 | info.stx_dev_minor;
  status.inode = info.stx_ino;
  return true;
}
