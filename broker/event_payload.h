// The payload of plenx/<site>/event: one event of the run as a JSON object,
// texts in UTF-8 as the window shows them:
//
//   {"time":"2015-03-07 14:05:09.042","timeMs":1425737109042,"record":17,
//    "severity":"fault","unit":"OUTDOOR","parameter":"Diagnostic Level",
//    "before":"NO Fault","after":"Overcurrent Compressor"}
//
// severity is "state", "fault" or "cleared", as the events CSV has it; the
// run's own events have the unit "" and name what changed ("Run",
// "Started" -> "Stopped"; "Line", "Receiving" -> "COMMUNICATION ERROR"),
// and record 0 when they came between records.
#pragma once

#include <string>

#include "decode/change_event.h"

std::string EventPayload(const ChangeEvent& change);
