// A telemetry log as the logger writes it, for the archive benchmarks: one
// line per record every 480 ms, a time stamp and the default layout's values
// drifting slowly with some noise, so the text both repeats and varies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/record_layout.h"

// Exactly sizeBytes bytes of log; the last line is cut where the size ends.
inline std::string TelemetryLog(size_t sizeBytes) {
  const int valuesPerRecord = static_cast<int>(RecordValueCount(RecordLayout{}));
  std::string log;
  log.reserve(sizeBytes + 4096);
  std::vector<int> values(static_cast<size_t>(valuesPerRecord));
  for (int i = 0; i < valuesPerRecord; ++i) values[static_cast<size_t>(i)] = (i * 37) % 600 - 50;
  uint32_t state = 12345;
  long long milliseconds = 0;
  char field[64];
  while (log.size() < sizeBytes) {
    const long long second = milliseconds / 1000;
    std::snprintf(field, sizeof field, "2015/03/07-%02lld:%02lld:%02lld.%03lld   -   ", second / 3600 % 24,
                  second / 60 % 60, second % 60, milliseconds % 1000);
    log += field;
    for (int& value : values) {
      state = state * 1103515245u + 12345u;
      if ((state >> 28) == 0) value += static_cast<int>((state >> 16) % 5) - 2;
      std::snprintf(field, sizeof field, "%d,", value);
      log += field;
    }
    log += "\r\n";
    milliseconds += 480;
  }
  log.resize(sizeBytes);
  return log;
}
