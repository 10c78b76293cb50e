// Any bytes at any value count: every frame the decoder delivers is exactly
// the last bytes fed since the last reset, with the start byte, a type byte
// naming the unit and a matching checksum; and its values re-encode into a
// canonical frame that a fresh decoder delivers, at its last byte only, with
// the same unit and values (a value no canonical pair can carry, which only
// a non-canonical pair delivers, comes back as the nearest one that can).
//
// Input: value count (2 bytes), reset marker (1 byte: 0 none, else the byte
// value that stands for an empty read and resets the decoder), then the
// byte stream.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"
#include "link/frame_decoder.h"
#include "link/frame_encoder.h"
#include "link/frame_format.h"

using namespace plenx::frame;

namespace {

// Largest record the configuration accepts: 1000 status values and 10 units
// of 1000 values each.
constexpr int kMaxLayoutValues = 1000 + 10 * 1000;

unsigned Pair(const uint8_t* digits) { return digits[0] * kDigitBase + digits[1]; }

// The frame's own bytes: start, type, checksum over everything before it.
void CheckFrameBytes(const uint8_t* frame, size_t frameBytes, int unitIndex) {
  FUZZ_CHECK(frame[0] == kStartByte, "frame does not begin with the start byte");
  FUZZ_CHECK(frame[1] == kFirstTypeByte + unitIndex,
             "unit " + std::to_string(unitIndex) + " from type byte " + std::to_string(frame[1]));
  unsigned sum = 0;
  for (size_t i = 0; i + 2 < frameBytes; ++i) sum += frame[i];
  FUZZ_CHECK(Pair(frame + frameBytes - 2) == (sum & kChecksumMask), "checksum does not match");
}

// Re-encodes the delivered frame and decodes it again on a fresh decoder.
void CheckReencoding(int unitIndex, std::span<const int16_t> values) {
  const std::vector<uint8_t> frame = EncodeFrame(unitIndex, values);
  FUZZ_CHECK(static_cast<long long>(frame.size()) == FrameBytes(static_cast<long long>(values.size())),
             "re-encoded frame has the wrong length");
  // Canonical: every low digit below the base (a high digit of 255 is
  // needed for the values above 32512).
  for (size_t low = 3; low < frame.size(); low += 2) {
    FUZZ_CHECK(frame[low] < kDigitBase,
               "re-encoded pair ending at byte " + std::to_string(low) + " is not canonical");
  }
  CheckFrameBytes(frame.data(), frame.size(), unitIndex);

  std::optional<FrameDecoder> decoder = FrameDecoder::Create(static_cast<int>(values.size()));
  FUZZ_CHECK(decoder.has_value(), "no decoder for a count that just worked");
  for (size_t i = 0; i < frame.size(); ++i) {
    const bool delivered = decoder->PutByte(frame[i]);
    FUZZ_CHECK(delivered == (i + 1 == frame.size()),
               "re-encoded frame delivered at byte " + std::to_string(i));
  }
  FUZZ_CHECK(decoder->UnitIndex() == unitIndex, "re-encoded frame changed its unit");
  for (size_t i = 0; i < values.size(); ++i) {
    // Values below the smallest encodable one travel as it.
    const int sent = std::clamp<int>(values[i], kMinEncodableValue, kMaxEncodableValue);
    FUZZ_CHECK(decoder->Values()[i] == sent, "value " + std::to_string(i) + " " + std::to_string(values[i]) +
                                                 " came back as " + std::to_string(decoder->Values()[i]));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const int valueCount = 1 + input.U16() % kMaxLayoutValues;
  const uint8_t resetMarker = input.Byte();
  const std::string_view stream = input.Rest();

  std::optional<FrameDecoder> decoder = FrameDecoder::Create(valueCount);
  FUZZ_CHECK(decoder.has_value(), "no decoder for " + std::to_string(valueCount) + " values");
  const size_t frameBytes = static_cast<size_t>(FrameBytes(valueCount));
  std::vector<uint8_t> fed;  // bytes fed since the last reset
  fed.reserve(stream.size());
  for (const char c : stream) {
    const auto byte = static_cast<uint8_t>(c);
    if (resetMarker != 0 && byte == resetMarker) {
      decoder->Reset();
      fed.clear();
      continue;
    }
    fed.push_back(byte);
    if (!decoder->PutByte(byte)) continue;

    FUZZ_CHECK(fed.size() >= frameBytes,
               "frame delivered after only " + std::to_string(fed.size()) + " bytes");
    const uint8_t* frame = fed.data() + fed.size() - frameBytes;
    const int unitIndex = decoder->UnitIndex();
    FUZZ_CHECK(unitIndex >= 0 && unitIndex <= 4, "unit index " + std::to_string(unitIndex));
    CheckFrameBytes(frame, frameBytes, unitIndex);
    const std::span<const int16_t> values = decoder->Values();
    FUZZ_CHECK(values.size() == static_cast<size_t>(valueCount), "wrong value count");
    for (int i = 0; i < valueCount; ++i) {
      // A pair is worth high * 255 + low; the value is that less the offset, modulo 2^16.
      const auto expected =
          static_cast<int16_t>(static_cast<uint16_t>(Pair(frame + 2 + 2 * i) - kValueOffset));
      FUZZ_CHECK(values[i] == expected, "value " + std::to_string(i) + " is not its pair's");
    }
    CheckReencoding(unitIndex, values);
  }
  return 0;
}
