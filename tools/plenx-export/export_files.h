// The checks that keep a log from being emptied as its own output, beyond
// the I/O helper's opens (platform/posix_io.h).
#pragma once

#include <string>

// True when path names the same file as the open fd (a log given as its
// own output would be emptied before it is read).
bool IsSameFile(int fd, const std::string& path);

// True when fd is a regular file (not a device, pipe or terminal).
bool IsRegularFile(int fd);
