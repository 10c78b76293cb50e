// Creation of the frame decoder; the per-byte step is inline in the header.
#include "link/frame_decoder.h"

#include <limits>

std::optional<FrameDecoder> FrameDecoder::Create(int valueCount) {
  // The byte count of a frame must fit the int that counts its value bytes.
  if (valueCount < 1 || plenx::frame::FrameBytes(valueCount) > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return FrameDecoder(valueCount);
}

FrameDecoder::FrameDecoder(int valueCount)
    : m_valueCount(valueCount), m_values(std::make_unique<int16_t[]>(valueCount)) {}
