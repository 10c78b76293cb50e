// The executable-to-configuration-file name rules for Linux and Windows.
#include "config/config_file_path.h"

#include "config/text_encoding.h"

namespace {
constexpr std::string_view kConfigExtension = ".ini";
constexpr std::string_view kWindowsExecutableExtension = ".exe";
}  // namespace

std::string ConfigFilePathForExecutable(std::string_view executablePath) {
  const size_t slash = executablePath.rfind('/');
  const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const size_t dot = executablePath.rfind('.');
  std::string path(executablePath);
  if (dot != std::string_view::npos && dot > nameStart) path.erase(dot);
  path += kConfigExtension;
  return path;
}

std::string WindowsConfigFilePathForExecutable(std::string_view modulePath) {
  std::string path = ToLowerWindows1252(modulePath);
  size_t pos = 0;
  while ((pos = path.find(kWindowsExecutableExtension, pos)) != std::string::npos) {
    path.replace(pos, kWindowsExecutableExtension.size(), kConfigExtension);
    pos += kConfigExtension.size();
  }
  return path;
}
