// Log lines as records of one layout.
#include "decode/log_record_line.h"

bool ParseRecordLine(const TextLine& line, int64_t valuesPerRecord, std::string_view layoutText,
                     LogLine& parsed, std::string& reason) {
  if (line.overlong) {
    reason = "longer than " + std::to_string(kMaxLogLineBytes) + " bytes";
    return false;
  }
  if (!ParseLogLine(line.text, parsed, reason)) return false;
  if (parsed.valueCount != valuesPerRecord) {
    reason = "the record holds " + std::to_string(parsed.valueCount) + " values; the layout " +
             std::string(layoutText) + " has " + std::to_string(valuesPerRecord);
    return false;
  }
  return true;
}
