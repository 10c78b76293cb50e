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

// Log lines as TelemetryLog writes them (CR LF endings, as the logger does),
// but most columns are sensor readings that jitter on every line around a
// slowly drifting level, so repeats are short and close together: the hard
// case for a match search.
inline Bytes NoisyTelemetryLog(size_t sizeBytes, uint64_t seed) {
  constexpr int kValuesPerRecord = 229;
  struct Column {
    int level;   // value around which the readings jitter
    int jitter;  // readings lie within level +- jitter; 0 for a steady value
  };
  Random random(seed);
  std::vector<Column> columns(kValuesPerRecord);
  for (Column& column : columns) {
    switch (random.Below(8)) {
      case 0:  // a flag or an unused position
        column = {static_cast<int>(random.Below(2)), 0};
        break;
      case 1:  // a count or a setting that rarely changes
        column = {static_cast<int>(random.Below(1500)), 0};
        break;
      case 2:  // a speed or a valve position: large values, coarse noise
        column = {500 + static_cast<int>(random.Below(4000)), 1 + static_cast<int>(random.Below(40))};
        break;
      default:  // a temperature in sixteenths of a degree
        column = {static_cast<int>(random.Below(1600)) - 300, 1 + static_cast<int>(random.Below(6))};
        break;
    }
  }
  Bytes log;
  log.reserve(sizeBytes + 4096);
  uint64_t milliseconds = 8ull * 3600 * 1000;
  char text[64];
  while (log.size() < sizeBytes) {
    milliseconds += 470 + random.Below(31);
    const uint64_t seconds = milliseconds / 1000;
    int length = std::snprintf(text, sizeof text, "2026/03/%02d-%02d:%02d:%02d.%03d   -   ",
                               static_cast<int>(7 + seconds / 86400 % 20),
                               static_cast<int>(seconds / 3600 % 24), static_cast<int>(seconds / 60 % 60),
                               static_cast<int>(seconds % 60), static_cast<int>(milliseconds % 1000));
    log.insert(log.end(), text, text + length);
    for (Column& column : columns) {
      if (random.Below(50) == 0) column.level += static_cast<int>(random.Below(3)) - 1;
      const int reading =
          column.jitter == 0
              ? column.level
              : column.level + static_cast<int>(random.Below(2 * column.jitter + 1)) - column.jitter;
      length = std::snprintf(text, sizeof text, "%d,", reading);
      log.insert(log.end(), text, text + length);
    }
    log.push_back('\r');
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
