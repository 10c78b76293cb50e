// A log, piece by piece, into the numeric columns of a TrendTable.
#include "decode/trend_log_reader.h"

#include <vector>

#include "decode/log_line.h"
#include "decode/log_line_splitter.h"
#include "platform/posix_io.h"

namespace {

constexpr size_t kReadChunkBytes = 1 << 20;
// Headroom over the record count a first line's length suggests, for
// records whose numbers run longer.
constexpr double kReserveHeadroom = 1.1;

}  // namespace

TrendLogReport ReadTrendLog(int fd, uint64_t sizeHintBytes, TrendTable& table, TrendLogProgress* progress) {
  TrendLogReport report;
  const RecordLayout& layout = table.Layout();
  const std::string layoutText = "the layout " + std::to_string(layout.statusParams) + "," +
                                 std::to_string(layout.numDevices) + "," + std::to_string(layout.acParams) +
                                 " has " + std::to_string(table.ValuesPerRecord());
  bool reserved = false;
  LogLine parsed;
  std::string reason;
  const auto skip = [&report](uint64_t lineNumber, std::string why) {
    if (report.skippedLines++ == 0) {
      report.firstSkippedLine = lineNumber;
      report.firstSkippedReason = std::move(why);
    }
  };
  const auto onLine = [&](const TextLine& line) {
    if (line.overlong) {
      skip(line.number, "longer than " + std::to_string(kMaxLogLineBytes) + " bytes");
    } else if (!ParseLogLine(line.text, parsed, reason)) {
      skip(line.number, reason);
    } else if (parsed.valueCount != table.ValuesPerRecord()) {
      skip(line.number, "the record holds " + std::to_string(parsed.valueCount) + " values; " + layoutText);
    } else {
      if (!reserved && sizeHintBytes > 0) {
        reserved = true;
        const double lines = static_cast<double>(sizeHintBytes) / static_cast<double>(line.text.size() + 1);
        table.Reserve(table.Size() + static_cast<size_t>(lines * kReserveHeadroom) + 1);
      }
      table.Append(parsed.time, parsed.record);
    }
  };

  LogLineSplitter splitter;
  std::vector<char> chunk(kReadChunkBytes);
  for (;;) {
    if (progress != nullptr && progress->cancel.load(std::memory_order_relaxed)) {
      report.cancelled = true;
      break;
    }
    const ssize_t got = ReadSome(fd, chunk.data(), chunk.size());
    if (got < 0) {
      report.readError = errno;
      break;
    }
    if (got == 0) break;
    splitter.Feed(std::string_view(chunk.data(), static_cast<size_t>(got)), onLine);
    if (progress != nullptr)
      progress->bytesRead.fetch_add(static_cast<uint64_t>(got), std::memory_order_relaxed);
  }
  if (report.readError == 0 && !report.cancelled) splitter.Finish(onLine);
  report.lineCount = splitter.LineCount();
  return report;
}
