// Folder listing, rename and removal with the folder flushed afterwards.
#include "platform/folder_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/posix_io.h"

namespace {

// Keeps errno across the folder's flush, which may change it.
void FlushFolderKeepingErrno(const std::string& folder) {
  const int saved = errno;
  FlushFolder(folder);
  errno = saved;
}

}  // namespace

void FlushFolder(const std::string& folder) {
  const int fd = OpenFile(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  SyncFile(fd);
  CloseFile(fd);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  // Closed on every way out, a lack of memory included.
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return std::nullopt;
  const int fd = dirfd(dir.get());
  std::vector<FolderEntry> entries;
  errno = 0;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    FolderEntry item;
    item.name = name;
    struct stat status {};
    if (fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode)) {
      item.isRegularFile = true;
      item.sizeBytes = static_cast<uint64_t>(status.st_size);
    }
    entries.push_back(std::move(item));
    errno = 0;
  }
  if (errno != 0) return std::nullopt;  // readdir failed
  return entries;
}

bool RenameInFolder(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0) return false;
  FlushFolderKeepingErrno(FolderOf(to));
  return true;
}

bool RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) != 0) return false;
  FlushFolderKeepingErrno(FolderOf(path));
  return true;
}
