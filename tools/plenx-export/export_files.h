// The files of an export: the log read in pieces, the CSV written out. Every
// system call of the program is here, each retried when a signal interrupts
// it; failures return false with errno set.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Opens path for reading; -1 on failure.
int OpenForReading(const std::string& path);

// Reads up to capacity bytes into buffer; got is 0 at the end of the file.
bool ReadSome(int fd, char* buffer, size_t capacity, size_t& got);

// Creates path for writing, emptying a file of that name; -1 on failure.
int CreateForWriting(const std::string& path);

// Writes all of data, continuing after short writes.
bool WriteAll(int fd, std::string_view data);

// Closes fd; false when the close reports an error (a delayed write error).
bool CloseFile(int fd);

// True when path names the same file as the open fd (a log given as its
// own output would be emptied before it is read).
bool IsSameFile(int fd, const std::string& path);

// True when fd is a regular file (not a device, pipe or terminal).
bool IsRegularFile(int fd);

// Removes the file path; errors are ignored, the file may be gone already.
void RemoveFile(const std::string& path);
