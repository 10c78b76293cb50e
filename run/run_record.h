// One record of a run as every face receives it: taken once, stamped once,
// decoded once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/local_time.h"

struct RunRecord {
  // 1 for the first record of a run (or replay), then one more for each.
  uint64_t sequence = 0;
  // Live: the local time the run took the record. Replayed: its logged time.
  LocalTime time;
  int64_t timeMs = 0;  // WallClockMs(time)
  // The record text exactly as received: "%d," per value, trailing comma
  // included. The log line is FormatLogLine(time, text).
  std::string text;
  // The frame's unit index (type byte minus 0xF0); -1 for a replayed record.
  int unitIndex = -1;
  bool replayed = false;
  // The log keeps this record (LOGEVERY decides; a run without a log keeps
  // none). Decided when the record is taken, whatever the disk does later.
  bool logged = false;
  // By RunLayout row: the Value text as the lists show it (Windows-1252),
  // and the unrounded number behind it (NaN for a text that stands for no
  // number). Only the first filledRows rows are set when the record is short.
  std::vector<std::string> texts;
  std::vector<double> numbers;
  size_t filledRows = 0;
  // The first shown position the record has no value for, or -1 when it
  // fills every row ("Encountered an improper argument." otherwise).
  int64_t missingPosition = -1;
};
