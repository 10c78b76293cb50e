// Reading a log's records back one at a time, for a replay: lines that are
// not log lines, or whose record does not fit the layout, are skipped and
// noted, never handed out.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "decode/log_line_splitter.h"
#include "platform/local_time.h"

// One record of the log, as the log file wrote it.
struct LoggedRecord {
  LocalTime time;
  std::string text;  // the record text, "%d," per value
  uint64_t lineNumber = 0;
};

// A line that was skipped: its number and why, for the person reading the log.
struct SkippedLogLine {
  uint64_t lineNumber = 0;
  std::string reason;
};

// Skipped lines noted one by one; the rest are only counted.
inline constexpr size_t kSkippedLinesNoted = 10;

class LogRecordReader {
 public:
  // Records must hold valuesPerRecord values; layoutText ("69,4,40") names
  // the layout in the reason a record that does not is skipped for.
  LogRecordReader(int64_t valuesPerRecord, std::string layoutText);
  ~LogRecordReader();
  LogRecordReader(const LogRecordReader&) = delete;
  LogRecordReader& operator=(const LogRecordReader&) = delete;

  // Opens the log at path; false with errno set when it cannot be opened.
  bool Open(const std::string& path);

  enum class Result { kRecord, kEnd, kReadFailed };
  // The next record of the log, reading on as needed: kRecord with record
  // filled, kEnd after the last line, or kReadFailed (ReadError() says why)
  // when the file could not be read on; the records before it were handed
  // out. Reads at most one piece of the file per call.
  Result Next(LoggedRecord& record);
  int ReadError() const { return m_readError; }

  // Lines skipped so far: the first kSkippedLinesNoted with their reasons,
  // and the count of all.
  const std::vector<SkippedLogLine>& NotedSkips() const { return m_notedSkips; }
  uint64_t SkippedCount() const { return m_skippedCount; }
  // Of them, records whose value count does not fit the layout.
  uint64_t LayoutMismatchCount() const { return m_layoutMismatchCount; }
  // Lines read so far.
  uint64_t LineCount() const { return m_splitter.LineCount(); }

 private:
  void Take(const TextLine& line);
  void Skip(uint64_t lineNumber, std::string reason);

  int64_t m_valuesPerRecord;
  std::string m_layoutText;
  int m_fd = -1;
  bool m_atEnd = false;
  int m_readError = 0;
  LogLineSplitter m_splitter;
  std::vector<char> m_chunk;
  // Records of the last piece read, not yet handed out.
  std::deque<LoggedRecord> m_ready;
  std::vector<SkippedLogLine> m_notedSkips;
  uint64_t m_skippedCount = 0;
  uint64_t m_layoutMismatchCount = 0;
};
