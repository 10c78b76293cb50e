// The file operations of the ZIP writer on a POSIX descriptor: whole-buffer
// writes, reads that are short only at the end of the file, and no partial
// success hidden from the caller.
#pragma once

#include <cstddef>
#include <cstdint>

// Owns one open descriptor and closes it on destruction.
class ZipFile {
 public:
  ZipFile() = default;
  ~ZipFile();
  ZipFile(ZipFile&& other) noexcept;
  ZipFile& operator=(ZipFile&& other) noexcept;
  ZipFile(const ZipFile&) = delete;
  ZipFile& operator=(const ZipFile&) = delete;

  // Creates path for writing, emptying an existing file of that name. Not
  // open on failure.
  static ZipFile CreateAlways(const char* path);
  // Opens an existing path for reading. Not open on failure.
  // The open does not wait for a writer when path names a FIFO.
  static ZipFile OpenExisting(const char* path);

  bool IsOpen() const { return m_fd >= 0; }
  int Descriptor() const { return m_fd; }

  // Reads up to count bytes at the file position; fewer only at the end of
  // the file or after an error, which sets *failed.
  size_t Read(uint8_t* buffer, size_t count, bool* failed);
  // Writes count bytes at the file position; returns how many the file
  // accepted, count unless it refused (full disk, I/O error).
  size_t Write(const uint8_t* bytes, size_t count);
  // As Write, at offset, leaving the file position where it was.
  size_t WriteAt(const uint8_t* bytes, size_t count, uint64_t offset);
  // Closes the descriptor; false when the system reported an error, which
  // may mean that written data was lost.
  bool Close();

 private:
  explicit ZipFile(int fd) : m_fd(fd) {}

  int m_fd = -1;
};
