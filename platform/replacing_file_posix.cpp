// Whole-or-nothing files: temporary name, fsync, rename, folder fsync.
#include "platform/replacing_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/posix_io.h"

namespace {

// New files get read and write permission for everyone the umask allows,
// as an ordinary new file does.
constexpr mode_t kNewFileMode = 0666;
// Bytes of the final name kept in a temporary name, so that the temporary
// name stays within the 255 bytes a file name may have.
constexpr size_t kMaxNameBytesInTemporaryName = 200;
constexpr std::string_view kTemporarySuffix = ".tmp";
// Hex digits of the random part of a temporary name.
constexpr size_t kUniqueDigits = 8;
// Names tried before Create gives up (each clash is one chance in 2^32).
constexpr int kCreateAttempts = 16;

// Restores errno when it goes, for clean-up on a failure path.
class SavedErrno {
 public:
  SavedErrno() : m_errno(errno) {}
  ~SavedErrno() { errno = m_errno; }
  SavedErrno(const SavedErrno&) = delete;
  SavedErrno& operator=(const SavedErrno&) = delete;

 private:
  int m_errno;
};

// The folder of path ("." for a bare name) and the name within it.
std::pair<std::string, std::string> SplitFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// ".<name, cut>." : what every temporary name of a final name starts with.
std::string TemporaryPrefix(const std::string& name) {
  return "." + name.substr(0, kMaxNameBytesInTemporaryName) + ".";
}

bool IsTemporaryName(std::string_view entry, std::string_view prefix) {
  if (!entry.starts_with(prefix) || !entry.ends_with(kTemporarySuffix)) return false;
  const std::string_view unique =
      entry.substr(prefix.size(), entry.size() - prefix.size() - kTemporarySuffix.size());
  if (unique.size() != kUniqueDigits) return false;
  for (char c : unique) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

// A fresh 32-bit value per call: the process, a counter and the clock,
// mixed (splitmix64's finaliser). Clashes only cost a retry.
uint32_t UniqueValue() {
  static std::atomic<uint64_t> counter{0};
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  uint64_t x = (static_cast<uint64_t>(getpid()) << 32) ^ counter.fetch_add(1) ^
               static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 20);
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  return static_cast<uint32_t>(x);
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Closes the folder listing on every way out, a lack of memory included.
class FolderListing {
 public:
  explicit FolderListing(const std::string& folder) : m_dir(opendir(folder.c_str())) {}
  ~FolderListing() {
    if (m_dir != nullptr) closedir(m_dir);
  }
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;
  // The next entry, or null at the end (or when the folder cannot be read).
  const dirent* Next() { return m_dir == nullptr ? nullptr : readdir(m_dir); }

 private:
  DIR* m_dir;
};

void RemoveAbandonedTemporaryFiles(const std::string& folder, const std::string& prefix) {
  FolderListing listing(folder);
  while (const dirent* entry = listing.Next()) {
    if (IsTemporaryName(entry->d_name, prefix)) RemoveIfAbandoned(folder + "/" + entry->d_name);
  }
}

// Flushes the folder's entry list, so that a rename in it survives a crash.
// File systems that cannot do this (some refuse fsync on a folder) lose
// nothing by it, so errors are not reported.
void SyncFolder(const std::string& folder) {
  const int fd = OpenFile(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  SyncFile(fd);
  CloseFile(fd);
}

}  // namespace

bool ReplacingFile::Create(const std::string& finalPath) {
  if (IsOpen()) {
    errno = EBUSY;
    return false;
  }
  // Every string is made before anything is opened, so that a lack of
  // memory (bad_alloc) cannot leave a file or a descriptor behind.
  std::string final = finalPath;
  struct stat existing {};
  if (lstat(finalPath.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    m_fd = OpenFile(finalPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, kNewFileMode);
    if (m_fd < 0) return false;
    m_finalPath = std::move(final);
    m_temporaryPath.clear();
    return true;
  }

  const auto [folder, name] = SplitFolder(finalPath);
  if (name.empty()) {
    errno = EISDIR;
    return false;
  }
  const std::string prefix = TemporaryPrefix(name);
  RemoveAbandonedTemporaryFiles(folder, prefix);
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    char unique[kUniqueDigits + 1];
    std::snprintf(unique, sizeof unique, "%08x", UniqueValue());
    std::string path = folder + "/" + prefix + unique + std::string(kTemporarySuffix);
    const int fd = OpenFile(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, kNewFileMode);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return false;
    // Locked at once, so that another writer's clean-up leaves it alone. A
    // file system without locks gets the file unlocked; one whose clean-up
    // took the file in the moment before the lock is detected and skipped.
    const bool lockRefused = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    struct stat opened {};
    struct stat named {};
    if (lockRefused || fstat(fd, &opened) != 0 || lstat(path.c_str(), &named) != 0 ||
        !SameFile(opened, named)) {
      CloseFile(fd);
      continue;
    }
    m_fd = fd;
    m_finalPath = std::move(final);
    m_temporaryPath = std::move(path);
    return true;
  }
  errno = EEXIST;
  return false;
}

bool ReplacingFile::Commit() {
  if (!IsOpen()) {
    errno = EBADF;
    return false;
  }
  if (m_temporaryPath.empty()) {
    // In place: a device or FIFO may not support fsync (EINVAL), which
    // leaves nothing unwritten.
    const bool synced = SyncFile(m_fd) || errno == EINVAL || errno == EROFS;
    const int syncErrno = errno;
    const bool closed = CloseFile(std::exchange(m_fd, -1));
    if (!synced) errno = syncErrno;
    return synced && closed;
  }
  const std::string folder = SplitFolder(m_finalPath).first;  // may throw: nothing renamed yet
  if (!SyncFile(m_fd) || rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
    Discard();
    return false;
  }
  SyncFolder(folder);
  // The data is on disk under the final name: a close error cannot lose it.
  CloseFile(std::exchange(m_fd, -1));
  m_temporaryPath.clear();
  return true;
}

void ReplacingFile::Discard() {
  if (!IsOpen()) return;
  const SavedErrno saved;
  if (!m_temporaryPath.empty()) unlink(m_temporaryPath.c_str());
  CloseFile(std::exchange(m_fd, -1));
  m_temporaryPath.clear();
}

void RemoveIfAbandoned(const std::string& path) {
  const int fd = OpenFile(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat opened {};
  struct stat named {};
  if (fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
      lstat(path.c_str(), &named) == 0 && SameFile(opened, named)) {
    unlink(path.c_str());
  }
  CloseFile(fd);
}

void RemoveAbandonedTemporaryFiles(const std::string& finalPath) {
  const auto [folder, name] = SplitFolder(finalPath);
  if (!name.empty()) RemoveAbandonedTemporaryFiles(folder, TemporaryPrefix(name));
}

bool IsReplacingFileTemporaryName(const std::string& name, std::string& finalName) {
  // ".<final name>.<8 hex digits>.tmp": the final name lies between the first
  // dot and the dot before the digits.
  constexpr size_t kTailBytes = 1 + kUniqueDigits + kTemporarySuffix.size();
  if (name.size() < 1 + 1 + kTailBytes || name[0] != '.') return false;
  const std::string candidate = name.substr(1, name.size() - 1 - kTailBytes);
  if (!IsTemporaryName(name, TemporaryPrefix(candidate))) return false;
  finalName = candidate;
  return true;
}
