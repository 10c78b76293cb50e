// The configuration file's name, from the executable's.
#include "config/config_file_path.h"

namespace {
constexpr std::string_view kConfigExtension = ".ini";
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
