// Filling and reading the input ring.
#include "archive/deflate_input_ring.h"

#include <algorithm>
#include <cstring>

namespace plenx::deflate {

void InputRing::FillTo(uint64_t target, uint64_t keepFrom) {
  const uint64_t capacity = m_capacity;
  const uint64_t limit = std::min(target, keepFrom + capacity);
  while (!m_ended && m_end < limit) {
    const uint64_t slot = m_end % capacity;
    const uint64_t count = std::min({limit - m_end, capacity - slot, uint64_t{1} << 30});
    const uint32_t delivered = (*m_read)(m_bytes.get() + slot, static_cast<uint32_t>(count));
    if (delivered == 0 || delivered == DeflateCompressor::kReadEndOfInput) {
      m_ended = true;
    } else {
      m_end += std::min<uint64_t>(delivered, count);
    }
  }
}

void InputRing::CopyOut(uint64_t offset, uint8_t* buffer, size_t count) const {
  const uint64_t capacity = m_capacity;
  while (count > 0) {
    const uint64_t slot = offset % capacity;
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(count, capacity - slot));
    std::memcpy(buffer, m_bytes.get() + slot, piece);
    buffer += piece;
    offset += piece;
    count -= piece;
  }
}

}  // namespace plenx::deflate
