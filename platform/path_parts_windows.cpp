// Path parts on Windows: '\' and '/' separate, and a drive ends the folder.
#include "platform/path_parts.h"

size_t FileNameStart(std::string_view path) {
  const size_t end = path.find_last_of("\\/:");
  return end == std::string_view::npos ? 0 : end + 1;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/' && path.back() != ':') path += '\\';
  path += name;
  return path;
}
