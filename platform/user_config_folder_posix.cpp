// The per-user configuration folder by the XDG base directory rules.
#include "platform/user_config_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kDefaultConfigFolderName = ".config";
constexpr std::string_view kDefaultStateFolderName = ".local/state";
// Room for one user database entry; getpwuid_r asks for more with ERANGE.
constexpr size_t kPasswdBufferBytes = 16384;

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

// HOME when absolute, else the home folder of the user database; empty when
// neither gives an absolute path.
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

// folder and name joined by one "/", whatever slashes folder ends in.
std::string Join(std::string folder, std::string_view name) {
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  return folder + '/' + std::string(name);
}

}  // namespace

std::string UserConfigFolder() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (IsAbsolute(configHome)) return Join(configHome, kProgramConfigFolderName);
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return Join(Join(home, kDefaultConfigFolderName), kProgramConfigFolderName);
}

std::string UserStateFolder() {
  const char* stateHome = std::getenv("XDG_STATE_HOME");
  if (IsAbsolute(stateHome)) return Join(stateHome, kProgramConfigFolderName);
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return Join(Join(home, kDefaultStateFolderName), kProgramConfigFolderName);
}
