// The files of an export beyond the I/O helper's calls: the log opened for
// reading, the CSV created, and the checks that keep a log from being
// emptied as its own output. Failures return -1 or false with errno set.
#pragma once

#include <string>

// Opens path for reading; -1 on failure.
int OpenForReading(const std::string& path);

// Creates path for writing, emptying a file of that name; -1 on failure.
int CreateForWriting(const std::string& path);

// True when path names the same file as the open fd (a log given as its
// own output would be emptied before it is read).
bool IsSameFile(int fd, const std::string& path);

// True when fd is a regular file (not a device, pipe or terminal).
bool IsRegularFile(int fd);

// Removes the file path; errors are ignored, the file may be gone already.
void RemoveFile(const std::string& path);
