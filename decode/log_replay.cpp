// The replay's steps: read ahead one record, hand it out once it is due.
#include "decode/log_replay.h"

#include <cstdio>

LogReplay::LogReplay(const ReplayClock& clock, double speed, int64_t valuesPerRecord, std::string layoutText)
    : m_pacer(clock, speed), m_reader(valuesPerRecord, std::move(layoutText)) {}

LogReplay::Step LogReplay::Next(LoggedRecord& record) {
  if (!m_next) {
    LoggedRecord read;
    switch (m_reader.Next(read)) {
      case LogRecordReader::Result::kEnd:
        return Step::kEnd;
      case LogRecordReader::Result::kReadFailed:
        return Step::kReadFailed;
      case LogRecordReader::Result::kRecord:
        m_next = std::move(read);
        break;
    }
  }
  const int64_t recordWait = m_pacer.WaitForRecord(m_next->time);
  if (recordWait == 0) {
    record = std::move(*m_next);
    m_next.reset();
    m_pacer.Shown(record.time);
    ++m_recordsShown;
    return Step::kRecord;
  }
  const int64_t quietWait = m_pacer.WaitForQuietLine();
  m_waitMs = quietWait >= 0 && quietWait < recordWait ? quietWait : recordWait;
  return Step::kWait;
}

std::string ReplayPositionText(const LocalTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d.%03d", time.year, time.month, time.day,
                time.hour, time.minute, time.second, time.milliseconds);
  return text;
}

std::string SkippedLinesReport(const LogRecordReader& reader, const std::string& path) {
  if (reader.SkippedCount() == 0) return {};
  std::string text = std::to_string(reader.SkippedCount()) + " of " + std::to_string(reader.LineCount()) +
                     " lines of " + path + " were skipped:";
  for (const SkippedLogLine& skip : reader.NotedSkips())
    text += "\nline " + std::to_string(skip.lineNumber) + ": " + skip.reason;
  if (reader.SkippedCount() > reader.NotedSkips().size())
    text += "\nand " + std::to_string(reader.SkippedCount() - reader.NotedSkips().size()) + " more";
  return text;
}
