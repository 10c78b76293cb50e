// Wire format of the control board's telemetry frames.
//
// A frame is: start byte, type byte, n value pairs, checksum pair; 2n + 4
// bytes with no length field (both ends agree on n). Every pair is two
// base-255 digits, high digit first.
#pragma once

#include <cstdint>

namespace plenx::frame {

// Start of every frame.
inline constexpr uint8_t kStartByte = 0xFF;
// Type bytes name the unit index: type byte - kFirstTypeByte, 0 to 4.
inline constexpr uint8_t kFirstTypeByte = 0xF0;
inline constexpr uint8_t kLastTypeByte = 0xF4;
// Base of the two digits of a value pair and of the checksum pair.
inline constexpr unsigned kDigitBase = 255;
// A value x travels as x + kValueOffset, so -32512 .. 32767 fit in two digits.
inline constexpr int kValueOffset = 32512;
// Smallest and largest values a sender can encode canonically.
inline constexpr int kMinEncodableValue = -kValueOffset;
inline constexpr int kMaxEncodableValue = 32767;
// The checksum is the byte sum of start, type and value bytes, masked to 15 bits.
inline constexpr unsigned kChecksumMask = 0x7FFF;
// Bytes of a frame besides its value pairs: start, type and the checksum pair.
inline constexpr int kFrameOverheadBytes = 4;
// The decimal text of one value plus its comma never exceeds this ("-32768,").
inline constexpr int kMaxValueTextBytes = 7;

// Total length of a frame carrying valueCount values.
constexpr long long FrameBytes(long long valueCount) { return 2 * valueCount + kFrameOverheadBytes; }
// Most values a frame may carry: the receiver counts a frame's bytes in an
// int. About 1.07e9 values, a frame that takes weeks at 9600 baud.
inline constexpr int kMaxFrameValues = (0x7FFFFFFF - kFrameOverheadBytes) / 2;
static_assert(FrameBytes(kMaxFrameValues) <= 0x7FFFFFFF && FrameBytes(kMaxFrameValues + 1LL) > 0x7FFFFFFF);

}  // namespace plenx::frame
