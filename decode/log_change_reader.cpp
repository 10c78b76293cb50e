// Records of a log through the one derivation of events.
#include "decode/log_change_reader.h"

#include "decode/log_record_line.h"
#include "decode/time_stamp.h"

LogChangeReader::LogChangeReader(const LoggerConfig& config)
    : m_decoder(config.ShownLayout()),
      m_deriver(WatchedRowsOf(config)),
      m_valuesPerRecord(config.ValuesPerRecord()),
      m_layoutText(std::to_string(config.statusParams) + "," + std::to_string(config.numDevices) + "," +
                   std::to_string(config.acParams)),
      m_texts(m_decoder.RowCount()),
      m_numbers(m_decoder.RowCount()) {}

void LogChangeReader::Feed(std::string_view bytes, std::vector<ChangeEvent>& out) {
  m_splitter.Feed(bytes, [&](const TextLine& line) { Take(line, out); });
}

void LogChangeReader::Finish(std::vector<ChangeEvent>& out) {
  m_splitter.Finish([&](const TextLine& line) { Take(line, out); });
}

void LogChangeReader::Take(const TextLine& line, std::vector<ChangeEvent>& out) {
  if (!ParseRecordLine(line, m_valuesPerRecord, m_layoutText, m_parsed, m_reason)) {
    if (++m_skippedCount <= kSkippedLinesNoted) m_notedSkips.push_back({line.number, m_reason});
    return;
  }
  const uint64_t record = ++m_records;
  const int64_t timeMs = WallClockMs(m_parsed.time);
  m_watch.Record(timeMs, record, out);
  // Only the watched rows' texts are made: the others give no events.
  const size_t filled = m_decoder.Load(m_parsed.record);
  for (const WatchedRow& watched : m_deriver.Rows()) {
    if (watched.row >= filled) break;
    std::string& text = m_texts[watched.row];
    text.clear();
    m_decoder.AppendText(watched.row, text);
    m_numbers[watched.row] = m_decoder.Value(watched.row);
  }
  m_deriver.Feed(m_parsed.time, timeMs, record, m_texts, m_numbers, filled, out);
}
