// The file type of a path, by stat(2).
#include "platform/regular_file.h"

#include <sys/stat.h>

bool IsRegularFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}
