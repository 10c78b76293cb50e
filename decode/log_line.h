// The log's line format: a log line written from a time stamp and a record
// text, and read back into them (or the reason it is not a log line).
#pragma once

#include <string>
#include <string_view>

#include "platform/local_time.h"

// The text between the time stamp and the record text of every log line.
inline constexpr std::string_view kLogLineSeparator = "   -   ";

// One log line: "YYYY/MM/DD-hh:mm:ss.mmm   -   " then recordText as
// received, then CR LF.
std::string FormatLogLine(const LocalTime& time, std::string_view recordText);

// One log line as the log file wrote it (FormatLogLine).
struct LogLine {
  LocalTime time;           // local time stamp as logged, with milliseconds
  std::string_view record;  // record text, a view into the parsed line
  int valueCount = 0;       // values in the record text
};

// Parses line, a line of a log without its LF (a CR before the LF is
// allowed): "YYYY/MM/DD-hh:mm:ss.mmm", the separator, and a record text of
// one or more values, each "%d," (an optional minus, digits, a comma).
// Returns true with parsed filled when it is such a line; otherwise false
// with reason set to a short text for the person reading the log, e.g.
// "no time stamp YYYY/MM/DD-hh:mm:ss.mmm at the start", and parsed
// unspecified. Pure; any thread.
bool ParseLogLine(std::string_view line, LogLine& parsed, std::string& reason);

// True when time names a moment a clock can show: month 1 to 12, a day the
// month has (29 February in leap years only), hour 0 to 23, minute 0 to 59,
// second 0 to 60 (a leap second), milliseconds 0 to 999.
bool IsValidLocalTime(const LocalTime& time);
