// What a replacing file does alike on every system: its ownership moves,
// and a file neither committed nor discarded is discarded when it goes.
#include "platform/replacing_file.h"

#include <utility>

ReplacingFile::~ReplacingFile() { Discard(); }

ReplacingFile::ReplacingFile(ReplacingFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_finalPath(std::move(other.m_finalPath)),
      m_temporaryPath(std::move(other.m_temporaryPath)) {}

ReplacingFile& ReplacingFile::operator=(ReplacingFile&& other) noexcept {
  if (this != &other) {
    Discard();
    m_fd = std::exchange(other.m_fd, -1);
    m_finalPath = std::move(other.m_finalPath);
    m_temporaryPath = std::move(other.m_temporaryPath);
  }
  return *this;
}
