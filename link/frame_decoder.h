// Receive state machine that cuts the serial byte stream into checked frames.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "link/frame_format.h"

// Decodes frames of a fixed value count, one byte at a time. It knows nothing
// of ports or threads; the reader feeds it and reports empty reads via Reset.
// The value buffer is allocated once at creation and reused for every frame.
class FrameDecoder {
 public:
  // A decoder for frames of valueCount values; nullopt when valueCount < 1
  // (a frame needs at least one value, and the caller must not start a reader
  // without one), above kMaxFrameValues, or when the value buffer cannot be
  // allocated.
  [[nodiscard]] static std::optional<FrameDecoder> Create(int valueCount);

  // Drops any partial frame; called when a read delivered no byte.
  void Reset() { m_state = State::WaitStart; }

  // Advances the state machine by one received byte. True when this byte
  // completed a frame whose checksum matched; UnitIndex and Values then hold
  // that frame until the next call.
  bool PutByte(uint8_t byte);

  // Unit index (0 to 4) of the frame just completed.
  int UnitIndex() const { return m_unitIndex; }
  // The decoded values of the frame just completed, in frame order.
  std::span<const int16_t> Values() const { return {m_values.get(), static_cast<size_t>(m_valueCount)}; }
  int ValueCount() const { return m_valueCount; }

 private:
  enum class State : uint8_t {
    WaitStart,
    WaitType,
    WaitValueHigh,
    WaitValueLow,
    WaitChecksumHigh,
    WaitChecksumLow,
  };

  FrameDecoder(int valueCount, std::unique_ptr<int16_t[]> values);

  State m_state = State::WaitStart;
  // Byte sum of the current frame; only its low 15 bits are compared.
  uint32_t m_runningSum = 0;
  // Pending high digit times 255.
  uint16_t m_partial = 0;
  // Value bytes still expected in the current frame.
  int m_remaining = 0;
  // Position of the next value in m_values.
  int m_index = 0;
  int m_unitIndex = 0;
  int m_valueCount = 0;
  std::unique_ptr<int16_t[]> m_values;
};

inline bool FrameDecoder::PutByte(uint8_t byte) {
  using namespace plenx::frame;
  switch (m_state) {
    case State::WaitStart:
      if (byte == kStartByte) {
        m_runningSum = kStartByte;
        m_state = State::WaitType;
      }
      return false;
    case State::WaitType:
      // A second 0xFF is a bad type byte too: it is dropped, not taken as a
      // new start, so two start bytes in a row lose the frame.
      if (byte >= kFirstTypeByte && byte <= kLastTypeByte) {
        m_unitIndex = byte - kFirstTypeByte;
        m_runningSum += byte;
        m_remaining = 2 * m_valueCount;
        m_index = 0;
        m_state = State::WaitValueHigh;
      } else {
        m_state = State::WaitStart;
      }
      return false;
    case State::WaitValueHigh:
      m_partial = static_cast<uint16_t>(byte * kDigitBase);
      m_runningSum += byte;
      --m_remaining;
      m_state = State::WaitValueLow;
      return false;
    case State::WaitValueLow:
      // Modulo 65536 read as two's complement: the pair FF FF gives -32768.
      m_values[m_index++] = static_cast<int16_t>(static_cast<uint16_t>(m_partial + byte - kValueOffset));
      m_runningSum += byte;
      --m_remaining;
      m_state = m_remaining == 0 ? State::WaitChecksumHigh : State::WaitValueHigh;
      return false;
    case State::WaitChecksumHigh:
      m_partial = static_cast<uint16_t>(byte * kDigitBase);
      m_state = State::WaitChecksumLow;
      return false;
    case State::WaitChecksumLow:
      // The combined number is compared, not the two digits, so a
      // non-canonical pair of equal worth (01 FF for 510) is accepted.
      m_state = State::WaitStart;
      return static_cast<unsigned>(m_partial + byte) == (m_runningSum & kChecksumMask);
  }
  return false;
}
