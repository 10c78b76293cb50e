// How a list row's Value takes part in the events of a run or a log: which
// rows name a state from a table, and which of those are faults.
#pragma once

#include <cstdint>

enum class RowEventKind : uint8_t {
  // A measured number (temperature, speed, generic value) or a placeholder:
  // its changes are no events.
  kNone,
  // A state named by a table (working mode, fan or pump run state, valve,
  // option, defrost state): an event whenever its text changes.
  kState,
  // Running or stopped, where running shows a number (the compressor's
  // "Stop" or its output, "50 %"): an event when it starts or stops, that is
  // when the number behind the text turns 0 or leaves 0; not at every step
  // of the output.
  kRunning,
  // A diagnostic level: an event whenever the code behind the text changes,
  // also between codes of one text ("Fault"); code 0 ("NO Fault") is no
  // fault.
  kFault,
};
