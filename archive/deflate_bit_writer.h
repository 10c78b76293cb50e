// LSB-first bit packing into the compressor's 16384-byte output buffer.
#pragma once

#include <cstdint>

#include "archive/deflate_compressor.h"
#include "archive/deflate_constants.h"

namespace plenx::deflate {

// Packs bit fields least significant bit first (RFC 1951, 3.1.1) into a
// 64-bit accumulator and moves whole 32-bit words to the output buffer, so
// the stream equals one packed through a 16-bit buffer, with fewer stores.
class BitWriter {
 public:
  // Starts a stream that goes to output; the writer keeps only the pointer.
  void Begin(const DeflateCompressor::OutputFunction* output) {
    m_output = output;
    m_bits = 0;
    m_bitCount = 0;
    m_fill = 0;
    m_handedOverBytes = 0;
  }

  // Appends the low bitCount bits of value (bitCount <= 32, value has no
  // higher bits set).
  void Put(uint64_t value, unsigned bitCount) {
    m_bits |= value << m_bitCount;
    m_bitCount += bitCount;
    if (m_bitCount >= 32) {
      if (m_fill > kOutputBufferBytes - 4) HandOver();
      const uint32_t word = static_cast<uint32_t>(m_bits);
      m_buffer[m_fill] = static_cast<uint8_t>(word);
      m_buffer[m_fill + 1] = static_cast<uint8_t>(word >> 8);
      m_buffer[m_fill + 2] = static_cast<uint8_t>(word >> 16);
      m_buffer[m_fill + 3] = static_cast<uint8_t>(word >> 24);
      m_fill += 4;
      m_bits >>= 32;
      m_bitCount -= 32;
    }
  }

  // Pads the pending bits with zeros to a byte boundary and moves them to the buffer.
  void AlignToByte() {
    while (m_bitCount > 0) {
      PutByte(static_cast<uint8_t>(m_bits));
      m_bits >>= 8;
      m_bitCount = m_bitCount > 8 ? m_bitCount - 8 : 0;
    }
    m_bits = 0;
  }

  // Appends a byte; only valid on a byte boundary.
  void PutByte(uint8_t byte) {
    if (m_fill >= kOutputBufferBytes) HandOver();
    m_buffer[m_fill++] = byte;
  }

  // Hands the buffered bytes, then bytes (e.g. a stored block straight from
  // the window), to the output function; only valid on a byte boundary.
  void PutDirect(const uint8_t* bytes, uint32_t count) {
    HandOver();
    if (count == 0) return;
    (*m_output)(bytes, count);
    m_handedOverBytes += count;
  }

  // Gives the filled part of the buffer to the output function.
  void HandOver() {
    if (m_fill == 0) return;
    (*m_output)(m_buffer, m_fill);
    m_handedOverBytes += m_fill;
    m_fill = 0;
  }

  // Bits written so far, handed over, buffered or pending.
  uint64_t BitsWritten() const { return (m_handedOverBytes + m_fill) * 8 + m_bitCount; }
  // Bytes the output function has received.
  uint64_t HandedOverBytes() const { return m_handedOverBytes; }

 private:
  const DeflateCompressor::OutputFunction* m_output = nullptr;
  uint64_t m_bits = 0;
  unsigned m_bitCount = 0;
  unsigned m_fill = 0;
  uint64_t m_handedOverBytes = 0;
  uint8_t m_buffer[kOutputBufferBytes];
};

}  // namespace plenx::deflate
