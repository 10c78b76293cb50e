// Existence test by directory search on Linux: lstat for a plain name,
// readdir and WildcardMatches for a pattern.
#include "platform/file_search.h"

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool HasWildcard(std::string_view text) { return text.find_first_of("*?") != std::string_view::npos; }

// Closes the directory stream on every way out of the search.
class DirectoryStream {
 public:
  explicit DirectoryStream(const std::string& path) : m_dir(opendir(path.c_str())) {}
  ~DirectoryStream() {
    if (m_dir != nullptr) closedir(m_dir);
  }
  DirectoryStream(const DirectoryStream&) = delete;
  DirectoryStream& operator=(const DirectoryStream&) = delete;
  DIR* get() const { return m_dir; }

 private:
  DIR* m_dir;
};

}  // namespace

bool DirectorySearchFindsEntry(const std::string& name) {
  const size_t slash = name.rfind('/');
  const std::string lastComponent = slash == std::string::npos ? name : name.substr(slash + 1);
  if (lastComponent.empty()) return false;

  if (!HasWildcard(lastComponent)) {
    // A literal name finds exactly its own entry; lstat answers that without
    // needing read permission on the directory, and counts dangling links.
    struct stat entry {};
    return lstat(name.c_str(), &entry) == 0;
  }

  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
  DirectoryStream stream(directory);
  if (stream.get() == nullptr) return false;
  while (const dirent* entry = readdir(stream.get())) {
    if (WildcardMatches(lastComponent, entry->d_name)) return true;
  }
  return false;
}
