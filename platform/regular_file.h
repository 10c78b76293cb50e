// Whether a path names a regular file.
#pragma once

#include <string>

// True when path, with symbolic links followed, is a regular file; false for
// folders, devices, dangling links and paths that cannot be examined.
bool IsRegularFile(const std::string& path);
