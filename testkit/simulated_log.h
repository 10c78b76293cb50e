// Logs of a simulated installation, as a logger on plenx-board-sim writes
// them: the simulator's model advanced record by record in simulated time,
// so that a day of records takes a second to make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode/log_line.h"
#include "decode/time_stamp.h"
#include "tools/plenx-board-sim/board_model.h"

// Time between records, as the control board sends them.
inline constexpr int kSimulatedRecordIntervalMs = 480;

// The record text ("%d," per value) of the model's present state.
inline std::string SimulatedRecordText(const BoardModel& model) {
  std::string record;
  for (const int16_t value : model.Values()) {
    record += std::to_string(value);
    record += ',';
  }
  return record;
}

// recordCount records of the default layout from start on, one every
// kSimulatedRecordIntervalMs, as log lines.
inline std::string SimulatedLog(const LocalTime& start, int64_t recordCount, uint32_t seed) {
  BoardModel model{RecordLayout{}, seed};
  std::string log;
  const int64_t startMs = WallClockMs(start);
  for (int64_t r = 0; r < recordCount; ++r) {
    model.Advance(kSimulatedRecordIntervalMs / 1000.0);
    log += FormatLogLine(WallClockTime(startMs + r * kSimulatedRecordIntervalMs), SimulatedRecordText(model));
  }
  return log;
}
