// Checking the files of plenx-export.
#include "tools/plenx-export/export_files.h"

#include "platform/file_status.h"
#include "platform/posix_io.h"

bool IsSameFile(int fd, const std::string& path) {
  FileStatus open;
  if (!ReadFileStatus(fd, "", open)) return false;
  const int named = OpenForReading(path, ReadOpenMode::kNeverWait);
  if (named < 0) return false;
  FileStatus status;
  const bool same = ReadFileStatus(named, path, status) && status.isRegularFile == open.isRegularFile &&
                    status.deviceId == open.deviceId && status.inode == open.inode;
  CloseFile(named);
  return same;
}

bool IsRegularFile(int fd) {
  FileStatus status;
  return ReadFileStatus(fd, "", status) && status.isRegularFile;
}
