// Sending side of the frame format: the simulator and the tests build frames
// with it. The logger itself never sends.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Appends one frame: start byte, type byte 0xF0 + unitIndex, each value as a
// canonical pair, and the checksum pair. unitIndex must be 0 to 4; values
// must lie in -32512 .. 32767 (values outside are clamped to that range, as
// no pair encodes them canonically).
void AppendFrame(std::vector<uint8_t>& out, int unitIndex, std::span<const int16_t> values);

// One frame as a fresh byte vector.
std::vector<uint8_t> EncodeFrame(int unitIndex, std::span<const int16_t> values);
