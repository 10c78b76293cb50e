// File-per-value settings store under the XDG configuration folder.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/posix_io.h"
#include "platform/user_config_folder.h"

namespace {

constexpr char kKeyPathSeparator = '\\';
constexpr mode_t kFolderMode = 0700;

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
  // Hidden name beside the value, so the rename stays within one file system.
  std::string temporary = *folder + "/." + std::string(valueName) + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes) == bytes.size() && RetryOnInterrupt([&] { return fsync(fd); }) == 0;
  ok = CloseFile(fd) && ok;
  ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}
