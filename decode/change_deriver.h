// The one derivation of events from records: fed record by record with the
// Value texts of the list rows (and the numbers behind them), it tells which
// states changed. A live run feeds the texts it decoded once for every face;
// a log reader feeds what it decodes from the log; both get the same events.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "config/logger_config.h"
#include "decode/change_event.h"
#include "decode/row_event_kind.h"

// A row whose states give events: its index in the record's rows, how it
// takes part (never RowEventKind::kNone), its list, and its tab and label
// as the window shows them (Windows-1252).
struct WatchedRow {
  size_t row = 0;
  RowEventKind kind = RowEventKind::kState;
  int listIndex = 0;
  std::string tab;
  std::string label;
};

// The rows of the lists config's window shows (RecordDecoder of
// config.ShownLayout(), in its order) whose rule names a state, with their
// tabs and labels.
std::vector<WatchedRow> WatchedRowsOf(const LoggerConfig& config);

// Not thread-safe; one per run or log reading.
class ChangeDeriver {
 public:
  explicit ChangeDeriver(std::vector<WatchedRow> rows);

  const std::vector<WatchedRow>& Rows() const { return m_rows; }

  // One record, number `record` (from 1), stamped time. texts and numbers
  // are by row, as RunRecord has them; only the watched rows are read, and
  // of them only those below filledRows (a short record leaves the others
  // as the lists left them). Appends an event for every watched row whose
  // state differs from the one it had: the text for kState, stopped
  // (number 0) or running for kRunning, the code for kFault. A row's first
  // value (the first record after construction or Reset) is no change.
  void Feed(const LocalTime& time, int64_t timeMs, uint64_t record, std::span<const std::string> texts,
            std::span<const double> numbers, size_t filledRows, std::vector<ChangeEvent>& out);

  // Forgets every row's state: the next record is a first record again.
  void Reset();

 private:
  struct LastState {
    bool known = false;
    std::string text;
    double number = 0;
  };

  std::vector<WatchedRow> m_rows;
  std::vector<LastState> m_last;  // by watched row
};
