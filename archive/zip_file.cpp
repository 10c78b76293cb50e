// The ZIP writer's source files, read through the program's I/O helper.
#include "archive/zip_file.h"

#include <utility>

#include "platform/posix_io.h"

ZipFile::~ZipFile() {
  if (m_fd >= 0) CloseFile(m_fd);
}

ZipFile::ZipFile(ZipFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

ZipFile& ZipFile::operator=(ZipFile&& other) noexcept {
  if (this != &other) {
    if (m_fd >= 0) CloseFile(m_fd);
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

ZipFile ZipFile::OpenExisting(const char* path) {
  // Not waiting only matters for FIFOs and devices, which the writer then
  // refuses; on a regular file reads block as usual.
  return ZipFile(OpenForReading(path, ReadOpenMode::kNeverWait));
}

size_t ZipFile::Read(uint8_t* buffer, size_t count, bool* failed) {
  return ReadAll(m_fd, buffer, count, *failed);
}

bool ZipFile::Close() {
  if (m_fd < 0) return true;
  return CloseFile(std::exchange(m_fd, -1));
}
