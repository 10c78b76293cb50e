// Absolute form of a path, for messages that name a file unambiguously.
#include "platform/full_path.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

constexpr size_t kInitialDirectoryBufferBytes = 256;

// The current directory, or an empty text when it cannot be read.
std::string CurrentDirectory() {
  std::string buffer(kInitialDirectoryBufferBytes, '\0');
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(buffer.find('\0'));
  return buffer;
}

}  // namespace

std::string FullPath(const std::string& path) {
  std::string joined = path;
  if (path.empty() || path.front() != '/') {
    const std::string current = CurrentDirectory();
    if (current.empty()) return path;
    joined = current + "/" + path;
  }

  std::vector<std::string> components;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    const std::string component = joined.substr(start, end - start);
    if (component == "..") {
      if (!components.empty()) components.pop_back();
    } else if (!component.empty() && component != ".") {
      components.push_back(component);
    }
    start = end + 1;
  }

  std::string result;
  for (const std::string& component : components) result += "/" + component;
  return result.empty() ? "/" : result;
}
