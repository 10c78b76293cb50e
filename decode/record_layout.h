// Record layout: how many outdoor status values and unit blocks a record holds.
#pragma once

#include <cstdint>

// The layout the window fills from its configuration (STATUSPARAMS,
// NUMDEVICES, ACPARAMS). Positions 0 to statusParams - 1 are the outdoor
// unit's status parameters; position statusParams + acParams * u + t is
// parameter t of unit u. Negative counts are treated as 0.
struct RecordLayout {
  int statusParams = 69;
  int numDevices = 4;
  int acParams = 40;
};

// Number of values a record of this layout carries (S + N * A), the count the
// link is told to expect; 0 when any count is negative.
int64_t RecordValueCount(const RecordLayout& layout);
