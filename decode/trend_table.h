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

// How a bounded table keeps its memory. At least recentRecords (and at most
// a quarter more) of the newest records are kept as they came; the records
// before them are merged, a quarter of recentRecords at a time, into
// buckets of 2 x RecordsPerOlderRow() records (fewer when a quarter is
// less), each kept as a row of the bucket's lowest values stamped with its
// first record's time and a row of its highest values stamped with the time
// of its middle record. When the older rows would pass olderRows, each two
// neighbouring buckets become one (as many rows for twice the records). recentRecords is rounded up to a
// multiple of 8 (at least 8), olderRows to a multiple of 4 (at least 4).
struct TrendTableBound {
  size_t recentRecords = 0;
  size_t olderRows = 0;
};

// A run's trends: 4 1/2 hours of records as they came at a record every
// half second (55 minutes at ten a second, still more than a live chart's
// 30), and buckets for the rest; about 16 MB for the default layout however
// long the run.
inline constexpr TrendTableBound kRunTrendBound{32768, 32768};

// The columns are the list rows of config's layout whose rule gives a
// quantity (temperatures, percentages, speeds, generic values), in the
// window's order; a row beyond the fields a record is read into is left out.
// Each value is stored as a float: every number the rules give (a 16-bit
// value, a 16-bit value in sixteenths, a single-precision temperature, a
// whole percentage) is exact in one.
//
// Not thread-safe; one thread at a time (a reader fills it, then hands it on).
//
// A table of a live run may be bounded (TrendTableBound): its newest records
// are kept as they came, the older ones merged into buckets of records, each
// bucket kept as two rows (every column's lowest value, then its highest),
// so that a chart of the whole run still reaches every extreme while memory
// stays the same however long the run lasts.
class TrendTable {
 public:
  // Unbounded: every record is kept (a log read whole).
  explicit TrendTable(const LoggerConfig& config);
  TrendTable(const LoggerConfig& config, const TrendTableBound& bound);

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

  // Rows: the merged rows of older records first, then the records as they
  // came. Unbounded tables (and bounded ones until their first merge) have
  // one row per record.
  size_t Size() const { return m_timesMs.size(); }
  bool Empty() const { return m_timesMs.empty(); }
  // Record stamps in wall-clock milliseconds (WallClockMs), in record order.
  const std::vector<int64_t>& TimesMs() const { return m_timesMs; }
  // Values of column, one per record, in record order.
  const std::vector<float>& Values(size_t column) const { return m_values[column]; }
  // True while no record is stamped earlier than the one before it (a clock
  // set back breaks it), so that times can be searched by bisection.
  bool TimesAscending() const { return m_timesAscending; }

  // The usual time between records: the median of the first intervals
  // between records kept as they came, or 0 with fewer than two of them.
  int64_t TypicalIntervalMs() const;

  // The first OlderRows() rows are merged buckets (see TrendTableBound),
  // each row standing for RecordsPerOlderRow() records at most, so that
  // neighbouring rows there lie at most about that many records' time
  // apart; 0 and 1 in a table that merged nothing.
  size_t OlderRows() const { return m_olderRows; }
  uint64_t RecordsPerOlderRow() const { return m_recordsPerOlderRow; }

  // Removes every record (a new run); the bound stays.
  void Clear();
  // Makes room for count records in all, so a reader that knows about how
  // many will come appends without moving the columns.
  void Reserve(size_t count);

  // Bytes the stored rows take (times and values, as allocated).
  size_t MemoryBytes() const;

 private:
  void AppendTime(int64_t timeMs);
  // Keeps a bounded table within its bound after a record was appended.
  void KeepBound();
  // Merges rows first to end into buckets of `bucket` rows (the last one
  // shorter), each written as two rows from first on; returns the row after
  // the last written. The rows from there to end are left unspecified.
  size_t MergeBuckets(size_t first, size_t end, uint64_t bucket);
  void EraseRows(size_t from, size_t to);

  RecordLayout m_layout;
  RecordDecoder m_decoder;
  std::vector<TrendColumn> m_columns;
  std::vector<size_t> m_decoderRows;  // by column: the decoder's row
  int64_t m_valuesPerRecord = 0;
  std::vector<int64_t> m_timesMs;
  std::vector<std::vector<float>> m_values;  // by column
  bool m_timesAscending = true;
  // Zero when unbounded.
  TrendTableBound m_bound;
  size_t m_olderRows = 0;
  uint64_t m_recordsPerOlderRow = 1;
};

// The columns a chart starts with, as far as the layout has them: the
// outdoor air, outdoor coil and compressor discharge temperatures and the
// compressor's output.
std::vector<size_t> DefaultTrendColumns(const TrendTable& table);
