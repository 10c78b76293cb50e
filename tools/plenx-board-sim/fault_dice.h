// Draws the line faults of each frame with their configured chances.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "sim_options.h"

struct FrameFaults {
  bool badChecksum = false;
  bool garbage = false;
  bool silence = false;
  bool gap = false;
};

class FaultDice {
 public:
  FaultDice(const FaultRates& rates, uint32_t seed);

  FrameFaults Roll();
  // A burst of line noise: 1 to 32 bytes, never the start byte, so only the
  // noise is lost and the next frame decodes.
  std::vector<uint8_t> Garbage();
  // Where a gap splits a frame of frameBytes: after its type byte, before
  // its last byte.
  size_t GapPosition(size_t frameBytes);

 private:
  bool Chance(double rate);

  FaultRates m_rates;
  std::mt19937 m_random;
};
