// The raw capture of a run: every byte read from the serial line, appended
// unchanged to a file beside the log, for replaying or decoding later.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// A capture file, closed or open. The owner opens and closes it while no
// reader runs; while one runs, only that reader calls Append and Flush. The
// file is opened like the log (OpenLockedForAppend): never truncated, and
// refused while another writer holds it.
//
// Bytes are collected and written in pieces: when kFlushBytes have come,
// when the oldest waiting byte is kMaxHoldMs old, and whenever the reader
// calls Flush (it does so at every silence on the line and before it ends),
// so the file lags the line by at most about half a second.
class RawCapture {
 public:
  // Bytes collected before they are written.
  static constexpr size_t kFlushBytes = 4096;
  // Longest time a byte waits in memory while the line keeps sending.
  static constexpr int kMaxHoldMs = 500;

  RawCapture() = default;
  ~RawCapture() { Close(); }
  RawCapture(const RawCapture&) = delete;
  RawCapture& operator=(const RawCapture&) = delete;

  // Opens path for appending, closing a capture still open first. 0, or the
  // errno of the failure (EWOULDBLOCK when another writer holds the file;
  // AppendOpenFailureReason words it).
  int Open(const std::string& path);

  // Writes what is still collected and closes the file; nothing when it is
  // closed. False when that last write failed (errno set).
  bool Close();

  // Closes the file of a run that did not start: it is removed when Open
  // created it and nothing was written to it. Collected bytes are dropped.
  void Discard();

  bool IsOpen() const { return m_fd >= 0; }

  // Absolute path of the file opened last, for messages; it stays after
  // Close, so a failure reported late can still name the file.
  const std::string& FullPath() const { return m_fullPath; }

  // Adds one byte read from the line; writes the collected bytes when they
  // are due (see above). False when that write failed: errno is set, the
  // collected bytes are dropped and the file holds no part of them. Does
  // nothing while the file is closed.
  bool Append(uint8_t byte);

  // Writes the collected bytes now; true when there were none. Failure as
  // for Append.
  bool Flush();

  // Bytes written to the file since it was opened (collected ones not yet).
  uint64_t BytesWritten() const { return m_bytesWritten; }

 private:
  using Clock = std::chrono::steady_clock;

  int m_fd = -1;
  // Open made the file.
  bool m_created = false;
  std::string m_fullPath;
  std::string m_pending;
  uint64_t m_bytesWritten = 0;
  // When the first byte of m_pending came.
  Clock::time_point m_pendingSince;
};
