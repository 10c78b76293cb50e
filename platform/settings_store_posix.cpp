// File-per-value settings store under the XDG configuration folder.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/folder_files.h"
#include "platform/posix_io.h"
#include "platform/replacing_file.h"
#include "platform/user_config_folder.h"

namespace {

constexpr char kKeyPathSeparator = '\\';
constexpr mode_t kFolderMode = 0700;
// mkostemp's random part of a temporary value's name.
constexpr std::string_view kTemporaryPattern = "XXXXXX";

// A folder or file name taken from a key path or value name; nothing that
// would leave the store's folder.
bool IsSafeName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// The folder of keyPath inside the store, or nullopt when the store has no
// folder or the path is unusable.
std::optional<std::string> KeyFolder(std::string_view keyPath) {
  std::string folder = SettingsStoreFolder();
  if (folder.empty()) return std::nullopt;
  size_t start = 0;
  while (true) {
    const size_t end = keyPath.find(kKeyPathSeparator, start);
    const std::string_view part =
        keyPath.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!IsSafeName(part)) return std::nullopt;
    folder += '/';
    folder += part;
    if (end == std::string_view::npos) return folder;
    start = end + 1;
  }
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates folder and its missing parents. An existing parent may refuse
// mkdir with another error than EEXIST (a read-only mount), so a failure
// only counts where no folder stands.
bool MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string prefix = folder.substr(0, slash);
    if (mkdir(prefix.c_str(), kFolderMode) != 0 && !IsFolder(prefix)) return false;
    if (slash == std::string::npos) break;
  }
  return true;
}

// ".<valueName>.XXXXXX": the temporary file a write of valueName makes.
bool IsTemporaryOf(std::string_view entry, std::string_view valueName) {
  const size_t prefixBytes = 1 + valueName.size() + 1;
  if (entry.size() != prefixBytes + kTemporaryPattern.size() || entry[0] != '.' ||
      entry.substr(1, valueName.size()) != valueName || entry[prefixBytes - 1] != '.') {
    return false;
  }
  for (char c : entry.substr(prefixBytes)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
}

// Removes the temporary files of valueName that writers killed before
// their rename left behind; a live writer's is locked and stays.
void RemoveAbandonedTemporaries(const std::string& folder, std::string_view valueName) {
  const std::optional<std::vector<FolderEntry>> entries = ListFolder(folder);
  if (!entries) return;
  for (const FolderEntry& entry : *entries) {
    if (IsTemporaryOf(entry.name, valueName)) RemoveIfAbandoned(folder + "/" + entry.name);
  }
}

}  // namespace

std::string SettingsStoreFolder() { return UserConfigFolder(); }

bool ReadSettingValue(std::string_view keyPath, std::string_view valueName, size_t maxBytes,
                      std::string& bytes) {
  bytes.clear();
  const std::optional<std::string> folder = KeyFolder(keyPath);
  if (!folder || !IsSafeName(valueName)) return false;
  // O_NONBLOCK: a FIFO put in the value's place does not hold the open.
  const int fd = OpenFile((*folder + "/" + std::string(valueName)).c_str(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;

  struct stat info {};
  std::optional<std::string> read;
  // One byte more than allowed tells an oversized value from a full one.
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) read = ReadToEnd(fd, maxBytes + 1);
  CloseFile(fd);
  if (!read || read->size() > maxBytes) return false;
  bytes = std::move(*read);
  return true;
}

bool WriteSettingValue(std::string_view keyPath, std::string_view valueName, std::string_view bytes) {
  const std::optional<std::string> folder = KeyFolder(keyPath);
  if (!folder || !IsSafeName(valueName) || !MakeFolders(*folder)) return false;

  const std::string target = *folder + "/" + std::string(valueName);
  RemoveAbandonedTemporaries(*folder, valueName);
  // Hidden name beside the value, so the rename stays within one file system.
  std::string temporary = *folder + "/." + std::string(valueName) + "." + std::string(kTemporaryPattern);
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  // Locked until closed, so that another writer's clean-up leaves it alone.
  // (One that took it in the moment before the lock makes the rename fail:
  // the write then reports failure and the old value stays.)
  flock(fd, LOCK_EX | LOCK_NB);
  bool ok = WriteAll(fd, bytes) == bytes.size() && RetryOnInterrupt([&] { return fsync(fd); }) == 0;
  ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  // Closing releases the lock; what was renamed was flushed before, so a
  // close error cannot lose it.
  CloseFile(fd);
  // The rename itself reaches the disk, so a power cut cannot bring back
  // the old value once the write has reported success.
  if (ok) FlushFolder(*folder);
  return ok;
}
