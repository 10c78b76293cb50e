// Creation of the frame decoder; the per-byte step is inline in the header.
#include "link/frame_decoder.h"

#include <new>

std::optional<FrameDecoder> FrameDecoder::Create(int valueCount) {
  // The byte count of a frame must fit the int that counts its value bytes.
  if (valueCount < 1 || valueCount > plenx::frame::kMaxFrameValues) return std::nullopt;
  // Left uninitialised: every value is written before a frame completes, so
  // a buffer for a huge layout takes memory only as its frames arrive. A
  // buffer the system cannot give is a refusal, not a crash.
  std::unique_ptr<int16_t[]> values(new (std::nothrow) int16_t[static_cast<size_t>(valueCount)]);
  if (!values) return std::nullopt;
  return FrameDecoder(valueCount, std::move(values));
}

FrameDecoder::FrameDecoder(int valueCount, std::unique_ptr<int16_t[]> values)
    : m_valueCount(valueCount), m_values(std::move(values)) {}
