// "COMMUNICATION ERROR" as events: raised once the watchdog's 10 s pass
// without a record, cleared by the next record. One rule for a live run,
// whose watchdog says when it fires, and for a log, whose gaps between lines
// stand for it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "decode/change_event.h"
#include "decode/communication_error_text.h"

// The texts of the line's state in its events (kCommunicationErrorText
// the other).
inline constexpr const char* kLineReceivingText = "Receiving";
// The parameter the line's events name.
inline constexpr const char* kLineParameter = "Line";

// Not thread-safe; one per run or log reading.
class CommunicationWatch {
 public:
  // A run starts at timeMs. The banner shows until the first record, but
  // that is an error only once 10 s pass without one.
  void Start(int64_t timeMs);

  // The watchdog fired at timeMs: raised now, unless it is raised already
  // or no record has come and 10 s have not passed since the start (the
  // banner of Start).
  void Quiet(int64_t timeMs, std::vector<ChangeEvent>& out);

  // Record number `record`, stamped timeMs, came. A gap of 10 s or more
  // since the last record (or the start) that was not raised yet is raised
  // at the last record + 10 s; a raised error is cleared at timeMs. A stamp
  // earlier than the last (a clock set back) is no gap.
  void Record(int64_t timeMs, uint64_t record, std::vector<ChangeEvent>& out);

  // The run ends at timeMs: an error due by then and not raised yet is
  // raised; one raised stays so (the run ended without the line back).
  void End(int64_t timeMs, std::vector<ChangeEvent>& out);

 private:
  // Raises the error at timeMs once 10 s have passed since the last record
  // or the start.
  void RaiseIfDue(int64_t timeMs, std::vector<ChangeEvent>& out);
  void Raise(int64_t timeMs, std::vector<ChangeEvent>& out);

  // The last record's stamp, or the start's before the first; none before
  // either (a log's first line).
  std::optional<int64_t> m_sinceMs;
  bool m_recordSeen = false;
  bool m_raised = false;
};
