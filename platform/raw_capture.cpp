// Raw capture file: bytes collected on the reader thread, appended in pieces.
#include "platform/raw_capture.h"

#include <cerrno>

#include "platform/append_file.h"
#include "platform/full_path.h"
#include "platform/posix_io.h"

int RawCapture::Open(const std::string& path) {
  Close();
  const int fd = OpenLockedForAppend(path, &m_created);
  if (fd < 0) return errno;
  m_fd = fd;
  m_fullPath = ::FullPath(path);
  m_pending.clear();
  m_pending.reserve(kFlushBytes);
  m_bytesWritten = 0;
  return 0;
}

bool RawCapture::Close() {
  if (!IsOpen()) return true;
  const bool flushed = Flush();
  const int error = errno;
  CloseFile(m_fd);  // also releases the lock
  m_fd = -1;
  errno = error;
  return flushed;
}

void RawCapture::Discard() {
  if (!IsOpen()) return;
  m_pending.clear();
  CloseRemovingIfUnused(m_fd, m_fullPath, m_created);
  m_fd = -1;
}

bool RawCapture::Append(uint8_t byte) {
  if (!IsOpen()) return true;
  const Clock::time_point now = Clock::now();
  if (m_pending.empty()) m_pendingSince = now;
  m_pending.push_back(static_cast<char>(byte));
  if (m_pending.size() < kFlushBytes && now - m_pendingSince < std::chrono::milliseconds(kMaxHoldMs)) {
    return true;
  }
  return Flush();
}

bool RawCapture::Flush() {
  if (m_pending.empty() || !IsOpen()) return true;
  const bool written = AppendWhole(m_fd, m_pending);
  if (written) m_bytesWritten += m_pending.size();
  m_pending.clear();
  return written;
}
