// The ZIP writer's source files on a descriptor: reads that are short
// only at the end of the file, and no partial success hidden from the
// caller. The archive itself is written through platform/replacing_file.h.
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

  // Opens an existing path for reading. Not open on failure, with errno set.
  // The open does not wait for a writer when path names a FIFO.
  static ZipFile OpenExisting(const char* path);

  bool IsOpen() const { return m_fd >= 0; }
  int Descriptor() const { return m_fd; }

  // Reads up to count bytes at the file position; fewer only at the end of
  // the file or after an error, which sets *failed.
  size_t Read(uint8_t* buffer, size_t count, bool* failed);
  // Closes the descriptor; false when the system reported an error.
  bool Close();

 private:
  explicit ZipFile(int fd) : m_fd(fd) {}

  int m_fd = -1;
};
