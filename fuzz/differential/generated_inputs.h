// Generated inputs for the compressor's differential run: kinds of data that
// reach the compressor's different paths (incompressible bytes, log text,
// long runs, periods around the match and window limits, copies at every
// distance, serial captures), at sizes around its buffer and window limits.
#pragma once

#include <cstdint>
#include <string>

// Pseudo-random numbers (splitmix64): the same seed gives the same inputs on
// every machine.
class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, bound); bound > 0.
  uint64_t Below(uint64_t bound) { return Next() % bound; }

 private:
  uint64_t m_state;
};

struct GeneratedInput {
  std::string kind;  // what the bytes are, for the report
  std::string bytes;
};

// The next input of the sequence random draws from: a kind and a size, then
// the bytes.
GeneratedInput NextGeneratedInput(SplitMix64& random);
