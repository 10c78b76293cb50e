// An event of a run or a log: a state that a list row names changed at a
// record, or the run itself changed (started, stopped, the line quiet or
// lost). The same events come from a live run and from its log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/local_time.h"

enum class ChangeKind : uint8_t {
  kValue,               // a row's state: tab, parameter, before -> after
  kRunStarted,          // Start, or a replay began
  kRunStopped,          // Stop, or the replay ended
  kCommunicationError,  // "COMMUNICATION ERROR": the watchdog's 10 s passed without a record
  kCommunicationBack,   // a record came after it
  kLineLost,            // the port hung up or failed
  kLineBack,            // the lost port is open again
};

enum class EventSeverity : uint8_t {
  kState,    // an ordinary change of state
  kFault,    // a fault code appeared or changed, the line went quiet or was lost
  kCleared,  // back to "NO Fault", the line receiving or open again
};

struct ChangeEvent {
  ChangeKind kind = ChangeKind::kValue;
  EventSeverity severity = EventSeverity::kState;
  LocalTime time;
  int64_t timeMs = 0;  // WallClockMs(time)
  // The record it came with, counted from 1 in the run or the log; 0 for an
  // event between records (the watchdog's, the run's start and end, the
  // port's).
  uint64_t record = 0;
  // kValue: the row, by its index in the record's rows (RunLayout::rows,
  // RecordDecoder), and its list (kOutdoorListIndex, or u + 1 for unit u).
  // -1 for the run's own events.
  int listIndex = -1;
  size_t row = 0;
  // Windows-1252. kValue: the tab text and the row's label, and its Value
  // texts as the list showed them before and after. The run's own events
  // have no tab; their parameter and texts name what changed ("Line",
  // "Receiving" -> "COMMUNICATION ERROR").
  std::string tab;
  std::string parameter;
  std::string before;
  std::string after;

  bool operator==(const ChangeEvent&) const = default;
};

// "state", "fault" or "cleared": the severity as the events CSV writes it.
const char* SeverityName(EventSeverity severity);
