// The ZIP writer's file access, through the program's I/O helper.
#include "archive/zip_file.h"

#include <fcntl.h>

#include <utility>

#include "platform/posix_io.h"

namespace {

// New archives get read and write permission for everyone the umask allows,
// as an ordinary new file does.
constexpr mode_t kNewFileMode = 0666;

}  // namespace

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

ZipFile ZipFile::CreateAlways(const char* path) {
  return ZipFile(OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode));
}

ZipFile ZipFile::OpenExisting(const char* path) {
  // O_NONBLOCK only matters for FIFOs and devices, which the writer then
  // refuses; on a regular file reads block as usual.
  return ZipFile(OpenFile(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

size_t ZipFile::Read(uint8_t* buffer, size_t count, bool* failed) {
  return ReadAll(m_fd, buffer, count, *failed);
}

size_t ZipFile::Write(const uint8_t* bytes, size_t count) { return WriteAll(m_fd, bytes, count); }

size_t ZipFile::WriteAt(const uint8_t* bytes, size_t count, uint64_t offset) {
  return WriteAllAt(m_fd, bytes, count, offset);
}

bool ZipFile::Close() {
  if (m_fd < 0) return true;
  return CloseFile(std::exchange(m_fd, -1));
}
