// Opening, checking and removing the files of plenx-export.
#include "tools/plenx-export/export_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_io.h"

namespace {

// Permission bits of a new CSV file, before the umask.
constexpr mode_t kNewFileMode = 0666;

}  // namespace

int OpenForReading(const std::string& path) {
  return OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
}

int CreateForWriting(const std::string& path) {
  return OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, kNewFileMode);
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
