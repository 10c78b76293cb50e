// Frame encoding: canonical base-255 digit pairs and the masked checksum.
#include "link/frame_encoder.h"

#include <algorithm>

#include "link/frame_format.h"

using namespace plenx::frame;

namespace {

void AppendPair(std::vector<uint8_t>& out, unsigned number) {
  out.push_back(static_cast<uint8_t>(number / kDigitBase));
  out.push_back(static_cast<uint8_t>(number % kDigitBase));
}

}  // namespace

void AppendFrame(std::vector<uint8_t>& out, int unitIndex, std::span<const int16_t> values) {
  const size_t start = out.size();
  out.reserve(start + static_cast<size_t>(FrameBytes(static_cast<long long>(values.size()))));
  out.push_back(kStartByte);
  out.push_back(static_cast<uint8_t>(kFirstTypeByte + std::clamp(unitIndex, 0, 4)));
  for (const int16_t value : values) {
    const int encodable = std::clamp<int>(value, kMinEncodableValue, kMaxEncodableValue);
    AppendPair(out, static_cast<unsigned>(encodable + kValueOffset));
  }
  unsigned sum = 0;
  for (size_t i = start; i < out.size(); ++i) {
    sum += out[i];
  }
  AppendPair(out, sum & kChecksumMask);
}

std::vector<uint8_t> EncodeFrame(int unitIndex, std::span<const int16_t> values) {
  std::vector<uint8_t> frame;
  AppendFrame(frame, unitIndex, values);
  return frame;
}
