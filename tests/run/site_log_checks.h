// For the tests of a log left on site: numbered frames from the board, and
// reading back what the log and its archives hold of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/log_line.h"
#include "link/frame_encoder.h"
#include "testkit/run_command.h"
#include "upkeep/local_date.h"

// The built-in layout's values per record (69 status values, 4 units of 40).
inline constexpr int kSiteValueCount = 69 + 4 * 40;

// Frame number index (below 32768), its first value: every record of a test
// is told apart by it.
inline std::vector<uint8_t> NumberedFrame(int index) {
  std::vector<int16_t> values(kSiteValueCount);
  for (int k = 0; k < kSiteValueCount; ++k)
    values[static_cast<size_t>(k)] = static_cast<int16_t>((index + k) % 500);
  values[0] = static_cast<int16_t>(index);
  std::vector<uint8_t> frame;
  AppendFrame(frame, index % 5, values);
  return frame;
}

// The lines of a log's text, in order: the frame number and the day of each.
struct LoggedLines {
  std::vector<int> indices;
  std::vector<LocalDate> days;
  // What is not a whole log line of a numbered record ("" when all are).
  std::string fault;
};

inline LoggedLines ReadLoggedLines(std::string_view text) {
  LoggedLines lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.fault = "a last line without its end: " + std::string(text.substr(start, 40));
      break;
    }
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    LogLine parsed;
    std::string reason;
    if (!ParseLogLine(line, parsed, reason) || parsed.valueCount != kSiteValueCount) {
      lines.fault = "not a whole log line (" + reason + "): " + std::string(line.substr(0, 40));
      break;
    }
    lines.indices.push_back(std::stoi(std::string(parsed.record.substr(0, parsed.record.find(',')))));
    lines.days.push_back(LocalDate{parsed.time.year, parsed.time.month, parsed.time.day});
  }
  return lines;
}

// The log an archive holds (its one entry), read by unzip; nothing when
// unzip finds it damaged.
inline std::optional<std::string> UnzippedLog(const std::string& archivePath) {
  if (RunCommand("unzip -tq '" + archivePath + "' >/dev/null 2>&1").exitCode != 0) return std::nullopt;
  const CommandResult listed = RunCommand("unzip -p '" + archivePath + "'");
  if (listed.exitCode != 0) return std::nullopt;
  return listed.output;
}
