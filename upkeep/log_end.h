// The end of a log found at Start: a last line that a power cut left half
// written is set aside, and the day of the last whole line tells a daily
// log whether it must be archived before the first new line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "upkeep/local_date.h"

// Where a torn last line of the log at logPath is set aside:
// "<log path>.torn", beside the log (as the raw capture is "<log path>.raw").
std::string TornLinesPath(const std::string& logPath);

struct TornLineRepair {
  // A torn last line was found and moved to setAsidePath.
  bool cut = false;
  uint64_t bytes = 0;  // its length
  std::string setAsidePath;
  // The errno of a failure; the log was then left as it was.
  int error = 0;
  // What the user is told, once, naming both files; empty when the log ended
  // with a whole line.
  std::string message;
};

// Cuts the log back to its last whole line (the last line end, LF) when a
// power cut or crash left a line without its end: the bytes after the last
// line end are first appended to TornLinesPath(logPath), followed by CR LF,
// and flushed, and only then cut off the log and the cut flushed. A crash
// between the two steps leaves the bytes in both files; the next repair
// then finds them already set aside and only cuts. fd is the log, open for
// writing with its write lock (OpenLockedForAppend); logPath names it.
//
// A log that holds no line end within its last kMaxTornLineBytes bytes is no
// log of lines (or a line a power cut cannot have torn) and is left as it
// is, and so is the log whenever a step fails (error and message say why:
// the new lines then continue the torn one).
TornLineRepair RepairTornLastLine(int fd, const std::string& logPath);

// Longest torn line RepairTornLastLine sets aside.
inline constexpr uint64_t kMaxTornLineBytes = 16 * 1024 * 1024;

// The day the log's last whole line is stamped with ("YYYY/MM/DD-..." at
// its start); nothing when the log holds no line or the last one does not
// start with a date. fd is open for reading.
std::optional<LocalDate> DayOfLastLine(int fd);
