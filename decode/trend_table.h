// The numbers of many records kept for charts: one time column and one
// column of floats per numeric list row, so a day of records stays compact.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/logger_config.h"
#include "decode/record_decoder.h"
#include "decode/value_quantity.h"
#include "platform/local_time.h"

// One list row whose numbers a chart can draw.
struct TrendColumn {
  int listIndex = 0;  // kOutdoorListIndex, or u + 1 for unit u
  int param = 0;      // parameter index within the list's unit (its label's index)
  int64_t position = 0;
  ValueQuantity quantity = ValueQuantity::kNumber;  // never kNone
  std::string tabText;                              // the tab the row is on, Windows-1252
  std::string label;                                // the Parameter text of the row, Windows-1252
};

// The columns are the list rows of config's layout whose rule gives a
// quantity (temperatures, percentages, speeds, generic values), in the
// window's order; a row beyond the fields a record is read into is left out.
// Each value is stored as a float: every number the rules give (a 16-bit
// value, a 16-bit value in sixteenths, a single-precision temperature, a
// whole percentage) is exact in one.
//
// Not thread-safe; one thread at a time (a reader fills it, then hands it on).
class TrendTable {
 public:
  explicit TrendTable(const LoggerConfig& config);

  const std::vector<TrendColumn>& Columns() const { return m_columns; }
  // The column of list listIndex's parameter param, or -1 when the layout
  // gives that row no number.
  int ColumnOf(int listIndex, int param) const;

  // The record layout of the table's records, and the values each holds.
  const RecordLayout& Layout() const { return m_layout; }
  int64_t ValuesPerRecord() const { return m_valuesPerRecord; }

  // Appends the record (a record text, "%d," per value) stamped time. A
  // record too short for a column gets NaN there, as does a value whose text
  // stands for none ("NA", "-").
  void Append(const LocalTime& time, std::string_view record);
  // Appends a record decoded already, stamped timeMs (WallClockMs):
  // rowNumbers[r] is the number of row r of a RecordDecoder of the table's
  // layout (RecordDecoder::Value), for r below filledRows; rows past those
  // or past rowNumbers get NaN.
  void AppendDecoded(int64_t timeMs, std::span<const double> rowNumbers, size_t filledRows);

  size_t Size() const { return m_timesMs.size(); }
  bool Empty() const { return m_timesMs.empty(); }
  // Record stamps in wall-clock milliseconds (WallClockMs), in record order.
  const std::vector<int64_t>& TimesMs() const { return m_timesMs; }
  // Values of column, one per record, in record order.
  const std::vector<float>& Values(size_t column) const { return m_values[column]; }
  // True while no record is stamped earlier than the one before it (a clock
  // set back breaks it), so that times can be searched by bisection.
  bool TimesAscending() const { return m_timesAscending; }

  // The usual time between records: the median of the first intervals, or
  // 0 with fewer than two records.
  int64_t TypicalIntervalMs() const;

  // Removes every record (a new run).
  void Clear();
  // Makes room for count records in all, so a reader that knows about how
  // many will come appends without moving the columns.
  void Reserve(size_t count);

  // Bytes the stored records take (times and values, as allocated).
  size_t MemoryBytes() const;

 private:
  void AppendTime(int64_t timeMs);

  RecordLayout m_layout;
  RecordDecoder m_decoder;
  std::vector<TrendColumn> m_columns;
  std::vector<size_t> m_decoderRows;  // by column: the decoder's row
  int64_t m_valuesPerRecord = 0;
  std::vector<int64_t> m_timesMs;
  std::vector<std::vector<float>> m_values;  // by column
  bool m_timesAscending = true;
};

// The columns a chart starts with, as far as the layout has them: the
// outdoor air, outdoor coil and compressor discharge temperatures and the
// compressor's output.
std::vector<size_t> DefaultTrendColumns(const TrendTable& table);
