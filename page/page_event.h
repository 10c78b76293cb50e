// One line of the page's event list: something that happened to the run or
// one of its values, at a record's or the run's time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/local_time.h"

enum class PageEventSeverity : uint8_t {
  kInfo,     // the run started or ended, a condition cleared
  kState,    // a value shown as a text changed (a working mode, a defrost step)
  kWarning,  // something the technician should know, logging goes on
  kFault,    // a fault or diagnostic code, a quiet or lost line, a failing file
};

struct PageEvent {
  LocalTime time;
  int64_t timeMs = 0;  // WallClockMs(time)
  PageEventSeverity severity = PageEventSeverity::kInfo;
  // What happened, for programs reading the API: "line-quiet", "run-started",
  // "value" for a value's change, ... (ASCII).
  std::string kind;
  // A value's change: its tab and Parameter label and the Value texts before
  // and after (Windows-1252); empty for the run's own events.
  std::string tab;
  std::string parameter;
  std::string before;
  std::string after;
  // The sentence the page shows (Windows-1252).
  std::string text;
};
