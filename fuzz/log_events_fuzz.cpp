// Any bytes as a log whose events are read back the way plenx-export
// --events reads them (records of 16 status values, so the outdoor rows of
// the compressor, fan, mode, temperatures and defrost are reached often):
// never a crash; the same events and counts whatever the pieces the bytes
// arrive in; every line either a record or skipped and counted; events in
// record order, each naming a record read; a state's event a change of its
// text (a fault's also of its code); COMMUNICATION ERROR raised and cleared
// in turn, cleared at a later record than it was raised after.
//
// Input: piece size P (1 byte: 0 feeds everything at once, else pieces of
// P bytes), then the log bytes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/logger_config.h"
#include "decode/log_change_reader.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/fuzz_input.h"

namespace {

constexpr int kStatusValues = 16;

LoggerConfig SmallLayoutConfig() {
  LoggerConfig config;
  config.Load("");
  config.statusParams = kStatusValues;
  config.numDevices = 0;
  return config;
}

struct Reading {
  std::vector<ChangeEvent> events;
  uint64_t lines = 0;
  uint64_t records = 0;
  uint64_t skipped = 0;
  std::vector<SkippedLogLine> noted;
};

Reading Read(const LoggerConfig& config, std::string_view bytes, size_t pieceBytes) {
  LogChangeReader reader(config);
  Reading reading;
  if (pieceBytes == 0) {
    reader.Feed(bytes, reading.events);
  } else {
    for (size_t at = 0; at < bytes.size(); at += pieceBytes)
      reader.Feed(bytes.substr(at, pieceBytes), reading.events);
  }
  reader.Finish(reading.events);
  reading.lines = reader.LineCount();
  reading.records = reader.RecordCount();
  reading.skipped = reader.SkippedCount();
  reading.noted = reader.NotedSkips();
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const LoggerConfig config = SmallLayoutConfig();
  FuzzInput input(data, size);
  const size_t pieceBytes = input.Byte();
  const std::string_view bytes = input.Rest();

  const Reading whole = Read(config, bytes, 0);
  const Reading pieces = Read(config, bytes, pieceBytes);
  FUZZ_CHECK(pieces.events == whole.events, "the pieces change the events");
  FUZZ_CHECK(
      pieces.records == whole.records && pieces.skipped == whole.skipped && pieces.lines == whole.lines,
      "the pieces change the counts");

  FUZZ_CHECK(whole.records + whole.skipped == whole.lines,
             std::to_string(whole.records) + " records and " + std::to_string(whole.skipped) +
                 " skipped of " + std::to_string(whole.lines) + " lines");
  FUZZ_CHECK(whole.noted.size() == std::min<uint64_t>(whole.skipped, kSkippedLinesNoted), "noted skips");
  for (const SkippedLogLine& skip : whole.noted) {
    FUZZ_CHECK(skip.lineNumber >= 1 && skip.lineNumber <= whole.lines, "skip of no line");
    for (const char c : skip.reason) FUZZ_CHECK(c >= 0x20 && c < 0x7F, "reason holds an unprintable byte");
  }

  uint64_t lastRecord = 0;
  bool raised = false;
  int64_t raisedMs = 0;
  for (const ChangeEvent& event : whole.events) {
    FUZZ_CHECK(event.record <= whole.records, "event of record " + std::to_string(event.record));
    switch (event.kind) {
      case ChangeKind::kValue:
        FUZZ_CHECK(event.record >= lastRecord && event.record >= 2,
                   "a change out of order or at the first record");
        FUZZ_CHECK(event.before != event.after || event.severity != EventSeverity::kState,
                   "a change of state without a change of text: " + event.parameter);
        lastRecord = event.record;
        break;
      case ChangeKind::kCommunicationError:
        FUZZ_CHECK(!raised, "raised twice");
        raised = true;
        raisedMs = event.timeMs;
        break;
      case ChangeKind::kCommunicationBack:
        FUZZ_CHECK(raised, "cleared without being raised");
        FUZZ_CHECK(event.timeMs >= raisedMs && event.record > lastRecord, "cleared before it was raised");
        raised = false;
        lastRecord = event.record;
        break;
      default:
        FUZZ_CHECK(false, "a log gave a run's own event");
    }
  }
  FUZZ_CHECK(!raised, "a log ends with the error raised");
  return 0;
}
