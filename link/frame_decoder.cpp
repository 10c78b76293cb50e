// Creation of the frame decoder; the per-byte step is inline in the header.
#include "link/frame_decoder.h"

std::optional<FrameDecoder> FrameDecoder::Create(int valueCount) {
  if (valueCount < 1) {
    return std::nullopt;
  }
  return FrameDecoder(valueCount);
}

FrameDecoder::FrameDecoder(int valueCount)
    : m_valueCount(valueCount), m_values(std::make_unique<int16_t[]>(valueCount)) {}
