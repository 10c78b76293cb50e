// File-per-value settings store under the XDG configuration folder.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view kStoreFolderName = "plenx-logger";
constexpr char kKeyPathSeparator = '\\';
constexpr mode_t kFolderMode = 0700;
constexpr size_t kPasswdBufferBytes = 16384;

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(kPasswdBufferBytes);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      IsAbsolute(found->pw_dir)) {
    return found->pw_dir;
  }
  return {};
}

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

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

int OpenForReading(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

std::string SettingsStoreFolder() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (IsAbsolute(configHome)) {
    base = configHome;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = home + "/.config";
  }
  if (base.back() != '/') base += '/';
  return base + std::string(kStoreFolderName);
}

bool ReadSettingValue(std::string_view keyPath, std::string_view valueName, size_t maxBytes,
                      std::string& bytes) {
  bytes.clear();
  const std::optional<std::string> folder = KeyFolder(keyPath);
  if (!folder || !IsSafeName(valueName)) return false;
  const int fd = OpenForReading(*folder + "/" + std::string(valueName));
  if (fd < 0) return false;

  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  // One byte more than allowed tells an oversized value from a full one.
  std::string buffer(maxBytes + 1, '\0');
  size_t got = 0;
  while (ok && got < buffer.size()) {
    const ssize_t count = read(fd, buffer.data() + got, buffer.size() - got);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) ok = false;
    if (count <= 0) break;
    got += static_cast<size_t>(count);
  }
  close(fd);
  if (!ok || got > maxBytes) return false;
  buffer.resize(got);
  bytes = std::move(buffer);
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
  bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}
