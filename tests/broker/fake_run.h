// What a run hands its faces, made up for the broker tests: a small layout
// with the window's kinds of rows, and records that fill it.
#pragma once

#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <string>

#include "run/run_layout.h"
#include "run/run_observer.h"
#include "run/run_record.h"

// OUTDOOR: Compressor (percent), Working Mode (a state), Outdoor Air
// Temperature [°F]; INDOOR A / HK: Fan Speed [rpm], Working Mode.
inline std::shared_ptr<const RunLayout> MakeTestLayout() {
  auto layout = std::make_shared<RunLayout>();
  layout->valuesPerRecord = 5;
  layout->lists = {{"OUTDOOR", 0, 3}, {"INDOOR A / HK", 3, 2}};
  layout->rows = {
      {0, 0, 0, ValueQuantity::kPercent, "Compressor"},
      {0, 1, 1, ValueQuantity::kNone, "Working Mode"},
      {0, 2, 2, ValueQuantity::kFahrenheit,
       "Outdoor Air Temperature [\xB0"
       "F]"},
      {1, 0, 3, ValueQuantity::kNumber, "Fan Speed [rpm]"},
      {1, 1, 4, ValueQuantity::kNone, "Working Mode"},
  };
  return layout;
}

inline LocalTime TestTime(int64_t ms) {
  LocalTime time;
  time.year = 2015;
  time.month = 3;
  time.day = 7 + static_cast<int>(ms / 86'400'000);
  const int64_t inDay = ms % 86'400'000;
  time.hour = static_cast<int>(inDay / 3'600'000);
  time.minute = static_cast<int>(inDay / 60'000 % 60);
  time.second = static_cast<int>(inDay / 1000 % 60);
  time.milliseconds = static_cast<int>(inDay % 1000);
  return time;
}

// Record number sequence (from 1), taken ms after 2015/03/07 00:00.
inline std::shared_ptr<const RunRecord> MakeTestRecord(uint64_t sequence, int64_t ms, bool logged = true) {
  auto record = std::make_shared<RunRecord>();
  record->sequence = sequence;
  record->time = TestTime(ms);
  record->timeMs = ms;
  const int compressor = static_cast<int>(sequence % 100);
  record->text = std::to_string(compressor) + ",2,300," + std::to_string(1000 + sequence) + ",1,";
  record->logged = logged;
  record->texts = {std::to_string(compressor) + " %", "Heat", "77.0", std::to_string(1000 + sequence),
                   "Cool"};
  record->numbers = {double(compressor), NAN, 77.0, double(1000 + sequence), NAN};
  record->filledRows = 5;
  return record;
}

inline RunStart MakeTestStart(const std::string& logPath = "/home/tech/site.log") {
  RunStart start;
  start.layout = MakeTestLayout();
  start.time = TestTime(0);
  start.portName = "COM3";
  start.devicePath = "/dev/ttyUSB0";
  start.logPath = logPath;
  return start;
}
