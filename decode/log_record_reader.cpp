// A log read piece by piece: memory holds one piece and its records, for
// any size of log.
#include "decode/log_record_reader.h"

#include <cerrno>

#include "decode/log_line.h"
#include "platform/posix_io.h"

namespace {
// A piece holds some fifty records of the default layout.
constexpr size_t kReadChunkBytes = 64 * 1024;
}  // namespace

LogRecordReader::LogRecordReader(int64_t valuesPerRecord, std::string layoutText)
    : m_valuesPerRecord(valuesPerRecord), m_layoutText(std::move(layoutText)), m_chunk(kReadChunkBytes) {}

LogRecordReader::~LogRecordReader() {
  if (m_fd >= 0) CloseFile(m_fd);
}

bool LogRecordReader::Open(const std::string& path) {
  m_fd = OpenForReading(path);
  return m_fd >= 0;
}

LogRecordReader::Result LogRecordReader::Next(LoggedRecord& record) {
  const auto onLine = [this](const TextLine& line) { Take(line); };
  while (m_ready.empty()) {
    if (m_readError != 0) return Result::kReadFailed;
    if (m_atEnd || m_fd < 0) return Result::kEnd;
    const ssize_t got = ReadSome(m_fd, m_chunk.data(), m_chunk.size());
    if (got < 0) {
      m_readError = errno;
      return Result::kReadFailed;
    }
    if (got == 0) {
      m_atEnd = true;
      m_splitter.Finish(onLine);
      continue;
    }
    m_splitter.Feed(std::string_view(m_chunk.data(), static_cast<size_t>(got)), onLine);
  }
  record = std::move(m_ready.front());
  m_ready.pop_front();
  return Result::kRecord;
}

void LogRecordReader::Take(const TextLine& line) {
  LogLine parsed;
  std::string reason;
  if (line.overlong) {
    Skip(line.number, "longer than " + std::to_string(kMaxLogLineBytes) + " bytes");
  } else if (!ParseLogLine(line.text, parsed, reason)) {
    Skip(line.number, reason);
  } else if (parsed.valueCount != m_valuesPerRecord) {
    ++m_layoutMismatchCount;
    Skip(line.number, "the record holds " + std::to_string(parsed.valueCount) + " values; the layout " +
                          m_layoutText + " has " + std::to_string(m_valuesPerRecord));
  } else {
    m_ready.push_back(LoggedRecord{parsed.time, std::string(parsed.record), line.number});
  }
}

void LogRecordReader::Skip(uint64_t lineNumber, std::string reason) {
  if (++m_skippedCount <= kSkippedLinesNoted) m_notedSkips.push_back({lineNumber, std::move(reason)});
}
