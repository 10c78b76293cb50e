// Deterministic inputs for the deflate tests and benchmark: telemetry-log-like
// text, binary and random bytes, generated rather than stored.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace plenx::deflate_test {

using Bytes = std::vector<uint8_t>;

// SplitMix64: the same sequence on every platform and standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform-enough value in 0 .. bound - 1 (bound > 0).
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }

 private:
  uint64_t m_state;
};

inline Bytes RandomBytes(size_t count, uint64_t seed) {
  Random random(seed);
  Bytes bytes(count);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random.Next());
  return bytes;
}

// Log lines as the logger writes them ("%04d/%02d/%02d-%02d:%02d:%02d.%03d   -   "
// then 229 values, each "%d,"), records 250 ms apart with a few values
// drifting from one record to the next, about sizeBytes long.
inline Bytes TelemetryLog(size_t sizeBytes, uint64_t seed) {
  constexpr int kValuesPerRecord = 229;
  Random random(seed);
  std::vector<int> values(kValuesPerRecord);
  for (int& value : values) {
    switch (random.Below(6)) {
      case 0:
      case 1:
      case 2:
        value = 0;
        break;
      case 3:
        value = 1;
        break;
      case 4:
        value = 100 + static_cast<int>(random.Below(500));
        break;
      default:
        value = static_cast<int>(random.Below(2200)) - 200;
        break;
    }
  }
  Bytes log;
  log.reserve(sizeBytes + 2048);
  uint64_t milliseconds = 12ull * 3600 * 1000;
  char text[64];
  while (log.size() < sizeBytes) {
    for (int& value : values) {
      if (random.Below(25) == 0) value += static_cast<int>(random.Below(5)) - 2;
    }
    milliseconds += 240 + random.Below(21);
    const uint64_t seconds = milliseconds / 1000;
    int length = std::snprintf(text, sizeof text, "2026/12/%02d-%02d:%02d:%02d.%03d   -   ",
                               static_cast<int>(10 + seconds / 86400 % 20),
                               static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                               static_cast<int>(seconds % 60), static_cast<int>(milliseconds % 1000));
    log.insert(log.end(), text, text + length);
    for (const int value : values) {
      length = std::snprintf(text, sizeof text, "%d,", value);
      log.insert(log.end(), text, text + length);
    }
    log.push_back('\n');
  }
  return log;
}

// Pieces of text, runs, copies of earlier data and random bytes, as a mix of
// files in an archive would be, about sizeBytes long.
inline Bytes MixedCorpus(size_t sizeBytes, uint64_t seed) {
  Random random(seed);
  const Bytes text = TelemetryLog(sizeBytes / 4 + 1, seed + 1);
  Bytes corpus;
  corpus.reserve(sizeBytes + 70000);
  while (corpus.size() < sizeBytes) {
    const size_t length = 1 + random.Below(60000);
    switch (random.Below(4)) {
      case 0: {  // text
        const size_t start = random.Below(static_cast<uint32_t>(text.size() - 1));
        const size_t end = std::min(text.size(), start + length);
        corpus.insert(corpus.end(), text.begin() + static_cast<long>(start),
                      text.begin() + static_cast<long>(end));
        break;
      }
      case 1:  // runs of a few byte values
        for (size_t i = 0; i < length; i += 1 + random.Below(300)) {
          corpus.insert(corpus.end(), 1 + random.Below(300), static_cast<uint8_t>(random.Below(4)));
        }
        break;
      case 2:  // binary records: small integers, little-endian
        for (size_t i = 0; i < length / 4; ++i) {
          const uint32_t value = random.Below(1000);
          for (int b = 0; b < 4; ++b) corpus.push_back(static_cast<uint8_t>(value >> (8 * b)));
        }
        break;
      default:  // incompressible
        for (size_t i = 0; i < length; ++i) corpus.push_back(static_cast<uint8_t>(random.Next()));
        break;
    }
  }
  return corpus;
}

}  // namespace plenx::deflate_test
