// The system configuration folders by the XDG base directory rules.
#include "platform/system_config_folders.h"

#include <cstdlib>
#include <string_view>

#include "platform/user_config_folder.h"

namespace {

constexpr std::string_view kDefaultSystemConfigFolders = "/etc/xdg";
constexpr char kFolderListSeparator = ':';

}  // namespace

std::vector<std::string> SystemConfigFolders() {
  const char* variable = std::getenv("XDG_CONFIG_DIRS");
  const std::string_view list =
      variable != nullptr && variable[0] != '\0' ? std::string_view(variable) : kDefaultSystemConfigFolders;
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(kFolderListSeparator, start);
    if (end == std::string_view::npos) end = list.size();
    std::string folder(list.substr(start, end - start));
    start = end + 1;
    if (folder.empty() || folder.front() != '/') continue;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder != "/") folder += '/';
    folders.push_back(folder + std::string(kProgramConfigFolderName));
  }
  return folders;
}
