// Input read ahead of the compressor's window, so that a second thread can
// search further on while the window is still behind.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

#include "archive/deflate_compressor.h"

namespace plenx::deflate {

// A ring of input bytes addressed by their offset in the input. The thread
// that owns the read function fills it; bytes below the end it reports are
// never changed until every reader is past them, which the owner tells each
// fill (keepFrom). Not synchronised itself: the caller publishes End() and
// Ended() to other threads.
class InputRing {
 public:
  // Reserves capacityBytes; pages are only touched as far as an entry's
  // capacity in use reaches.
  explicit InputRing(size_t capacityBytes) : m_bytes(new uint8_t[capacityBytes]), m_reserved(capacityBytes) {}

  // Starts an entry's input; offsets start at 0. The ring wraps after
  // capacityBytes (at most the capacity reserved).
  void Begin(const DeflateCompressor::ReadFunction& read, size_t capacityBytes) {
    m_read = &read;
    m_capacity = capacityBytes < m_reserved ? capacityBytes : m_reserved;
    m_end = 0;
    m_ended = false;
  }
  // Widens the capacity in use (at most to the capacity reserved) while
  // nothing has wrapped yet, i.e. End() is within the old capacity.
  void Widen(size_t capacityBytes) {
    if (m_end <= m_capacity && capacityBytes > m_capacity) m_capacity = std::min(capacityBytes, m_reserved);
  }

  // Reads until the ring holds the input up to target (or the input ends),
  // overwriting only bytes below keepFrom, which no one needs any more.
  void FillTo(uint64_t target, uint64_t keepFrom);

  // Copies count bytes from offset on, all below End() and not yet
  // overwritten.
  void CopyOut(uint64_t offset, uint8_t* buffer, size_t count) const;

  uint64_t End() const { return m_end; }
  bool Ended() const { return m_ended; }
  size_t Capacity() const { return m_capacity; }

 private:
  std::unique_ptr<uint8_t[]> m_bytes;
  size_t m_reserved;
  size_t m_capacity = 0;
  const DeflateCompressor::ReadFunction* m_read = nullptr;
  uint64_t m_end = 0;  // input offset after the last byte read
  bool m_ended = false;
};

}  // namespace plenx::deflate
