// Reads one fuzz input front to back: a few small numbers that set up the
// run, then the bytes the target works on. Every read is defined however
// short the input is, so any mutation is a valid run.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  size_t Remaining() const { return m_size - m_offset; }

  // The next byte; 0 once the input is used up.
  uint8_t Byte() { return m_offset < m_size ? m_data[m_offset++] : 0; }
  // The next two bytes, little-endian; missing bytes read as 0.
  uint16_t U16() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  // Up to count of the next bytes.
  std::string_view Bytes(size_t count) {
    count = std::min(count, Remaining());
    const std::string_view bytes(reinterpret_cast<const char*>(m_data + m_offset), count);
    m_offset += count;
    return bytes;
  }
  // Everything not read yet.
  std::string_view Rest() { return Bytes(Remaining()); }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_offset = 0;
};
