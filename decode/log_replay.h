// A log replayed at its recorded pace: the records of a LogRecordReader
// handed out when a ReplayPacer makes them due. Qt-free, so the window's
// replay and its tests share it; the window calls Next from a timer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "decode/log_record_reader.h"
#include "decode/replay_pacer.h"

// The speeds the replay window offers, in its order; the command line
// accepts any speed of 0 or more.
inline constexpr double kReplaySpeeds[] = {1.0, 10.0, 60.0, kAsFastAsPossible};

class LogReplay {
 public:
  // Records must hold valuesPerRecord values (see LogRecordReader).
  LogReplay(const ReplayClock& clock, double speed, int64_t valuesPerRecord, std::string layoutText);

  // Opens the log; false with errno set when it cannot be opened.
  bool Open(const std::string& path) { return m_reader.Open(path); }

  enum class Step {
    kRecord,      // `record` is due now: show it
    kWait,        // nothing due: call again after WaitMs() (-1: after Resume)
    kEnd,         // every record was handed out
    kReadFailed,  // the log could not be read on (ReadError())
  };
  Step Next(LoggedRecord& record);
  // After kWait: the wall-clock milliseconds until the next record or the
  // banner is due, or -1 while paused.
  int64_t WaitMs() const { return m_waitMs; }
  int ReadError() const { return m_reader.ReadError(); }

  // The banner's state now (see ReplayPacer::IsLineQuiet).
  bool IsLineQuiet() const { return m_pacer.IsLineQuiet(); }
  ReplayPacer& Pacer() { return m_pacer; }
  const ReplayPacer& Pacer() const { return m_pacer; }
  const LogRecordReader& Reader() const { return m_reader; }
  uint64_t RecordsShown() const { return m_recordsShown; }

 private:
  ReplayPacer m_pacer;
  LogRecordReader m_reader;
  // The record read ahead and not yet due.
  std::optional<LoggedRecord> m_next;
  int64_t m_waitMs = -1;
  uint64_t m_recordsShown = 0;
};

// "YYYY/MM/DD hh:mm:ss.mmm": a record's time as the replay shows its position.
std::string ReplayPositionText(const LocalTime& time);

// The one report of a replay's skipped lines, empty when none was skipped:
//   "<n> of <lines> lines of <path> were skipped:" then a line per noted skip,
//   "line <number>: <reason>", and "and <k> more" for those only counted.
std::string SkippedLinesReport(const LogRecordReader& reader, const std::string& path);
