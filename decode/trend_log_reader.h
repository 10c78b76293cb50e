// Reading a whole log into a TrendTable, on a worker thread if need be.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "decode/trend_table.h"

// Shared between the reading thread and one that watches it.
struct TrendLogProgress {
  std::atomic<uint64_t> bytesRead{0};
  // Set by the watcher: the reading ends after the piece it is in.
  std::atomic<bool> cancel{false};
};

// How a reading went.
struct TrendLogReport {
  uint64_t lineCount = 0;
  // Lines that are no records of the table's layout: a note typed into the
  // log, a line cut short, a record of another layout.
  uint64_t skippedLines = 0;
  uint64_t firstSkippedLine = 0;   // its line number, 0 when none was skipped
  std::string firstSkippedReason;  // e.g. "the record holds 189 values; the layout 69,4,40 has 229"
  // errno of a read that failed; 0 when the log was read to its end. What
  // came before the failure is in the table.
  int readError = 0;
  bool cancelled = false;
};

// Reads the log on fd from its position to its end and appends every record
// of the table's layout to table, in the order of the log. sizeHintBytes
// (the file's size, or 0 when unknown) lets the columns be sized once.
// progress, when given, counts the bytes read and can stop the reading. The
// caller owns fd. Any thread, with table and fd its own meanwhile.
TrendLogReport ReadTrendLog(int fd, uint64_t sizeHintBytes, TrendTable& table,
                            TrendLogProgress* progress = nullptr);
