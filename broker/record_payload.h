// The payload of plenx/<site>/record: one header line, then the log line
// exactly as the log holds it (CR LF included):
//
//   seq=17 run=20150307T140509-9f3c log=COM3.log\n
//   2015/03/07-14:05:09.042   -   12,-3,300,\r\n
//
// seq counts the run's logged records from 1 without a gap, so a subscriber
// sees a missing record as a gap and a repeated one (sent again after a
// reconnect) as a seq it has; run names the run (its start and a random
// part), since seq starts again at 1 with every run; log is the log's file
// name without folder, its bytes outside [A-Za-z0-9._~-] as %XX.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct RecordPayload {
  uint64_t seq = 0;
  std::string run;
  std::string logName;  // decoded: the file system's bytes
  std::string line;     // the log line, CR LF included
};

std::string FormatRecordPayload(const RecordPayload& record);

// nullopt when payload is not a record payload: no header line, a header
// without seq (a number from 1), run or log, or a log name that cannot be
// decoded. Members it does not know are passed over.
std::optional<RecordPayload> ParseRecordPayload(std::string_view payload);

// The log name's %XX form, and back (nullopt for a malformed %).
std::string PercentEncoded(std::string_view bytes);
std::optional<std::string> PercentDecoded(std::string_view text);
