// The events of a log alone, read piece by piece: the state changes between
// its records, and "COMMUNICATION ERROR" for every gap of 10 s or more
// between its lines (raised at the earlier line + 10 s, cleared at the
// later). Nothing is written anywhere; the log keeps its format.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/logger_config.h"
#include "decode/change_deriver.h"
#include "decode/communication_watch.h"
#include "decode/log_line.h"
#include "decode/log_line_splitter.h"
#include "decode/log_record_reader.h"
#include "decode/record_decoder.h"

// Not thread-safe; one thread at a time.
class LogChangeReader {
 public:
  // Records must be of config's layout; the rows, tabs and labels are those
  // config's window shows.
  explicit LogChangeReader(const LoggerConfig& config);

  // Reads the next piece of the log (any size; a line may span pieces) and
  // appends the events of the records it completes to out, in log order.
  void Feed(std::string_view bytes, std::vector<ChangeEvent>& out);
  // At the end of the log: the last line, when it has no line end.
  void Finish(std::vector<ChangeEvent>& out);

  uint64_t LineCount() const { return m_splitter.LineCount(); }
  // Records read, that is lines of the layout.
  uint64_t RecordCount() const { return m_records; }
  // Lines that are no records of the layout (a note typed into the log, a
  // line cut short, a record of another layout): skipped, never an event.
  // The first kSkippedLinesNoted with their reasons, and the count of all.
  const std::vector<SkippedLogLine>& NotedSkips() const { return m_notedSkips; }
  uint64_t SkippedCount() const { return m_skippedCount; }

 private:
  void Take(const TextLine& line, std::vector<ChangeEvent>& out);

  RecordDecoder m_decoder;
  ChangeDeriver m_deriver;
  CommunicationWatch m_watch;
  int64_t m_valuesPerRecord = 0;
  std::string m_layoutText;
  LogLineSplitter m_splitter;
  // The watched rows' texts and numbers of the record at hand, by row.
  std::vector<std::string> m_texts;
  std::vector<double> m_numbers;
  LogLine m_parsed;
  std::string m_reason;
  uint64_t m_records = 0;
  std::vector<SkippedLogLine> m_notedSkips;
  uint64_t m_skippedCount = 0;
};
