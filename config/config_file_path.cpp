// The configuration file's name, from the executable's, and its lookup.
#include "config/config_file_path.h"

#include "platform/path_parts.h"
#include "platform/regular_file.h"
#include "platform/system_config_folders.h"
#include "platform/user_config_folder.h"

namespace {
constexpr std::string_view kConfigExtension = ".ini";

std::string InFolder(const std::string& folder) { return JoinPath(folder, kConfigFileName); }
}  // namespace

std::string ConfigFilePathForExecutable(std::string_view executablePath) {
  const size_t nameStart = FileNameStart(executablePath);
  const size_t dot = executablePath.rfind('.');
  std::string path(executablePath);
  if (dot != std::string_view::npos && dot > nameStart) path.erase(dot);
  path += kConfigExtension;
  return path;
}

std::vector<std::string> ConfigFileCandidates(std::string_view executablePath) {
  std::vector<std::string> candidates;
  if (!executablePath.empty()) candidates.push_back(ConfigFilePathForExecutable(executablePath));
  if (const std::string userFolder = UserConfigFolder(); !userFolder.empty()) {
    candidates.push_back(InFolder(userFolder));
  }
  for (const std::string& folder : SystemConfigFolders()) candidates.push_back(InFolder(folder));
  return candidates;
}

std::string FindConfigFile(std::string_view executablePath) {
  for (const std::string& candidate : ConfigFileCandidates(executablePath)) {
    if (IsRegularFile(candidate)) return candidate;
  }
  return {};
}
