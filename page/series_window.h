// The last ten minutes of every numeric value of a run, by record time, for
// the page's sparklines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "run/run_layout.h"

// How far back a sparkline reaches, in record time.
inline constexpr int64_t kSeriesSpanMs = 10 * 60 * 1000;
// Records kept at most, whatever their times: ten minutes at 2 records/s
// several times over, so a replay at 10x still fills its ten minutes.
inline constexpr size_t kSeriesMaxRecords = 8192;
// Points a sparkline is drawn from: per column at most four (the first,
// lowest, highest and last record), whatever the record count.
inline constexpr int kSparklineColumns = 60;
// Records further apart than this are not joined by the line.
inline constexpr int64_t kSeriesBreakMs = 15 * 1000;

// Not thread-safe; the page's state guards it.
class SeriesWindow {
 public:
  // Forgets every record and keeps a series for each row of layout whose
  // number measures something (RunRow::quantity other than kNone).
  void Reset(const RunLayout& layout);

  // Adds one record: numbers by layout row, of which the first filledRows
  // are set (a short record's other rows count as breaks).
  void Add(int64_t timeMs, const std::vector<double>& numbers, size_t filledRows);

  // Appends the series as a JSON object: {"spanMs":..., "endMs":..., "rows":
  // [{"row": layout row, "t": [ms before endMs, ...], "v": [value or null for
  // a break, ...]}, ...]}, each drawn over the span that ends at the newest
  // record.
  void AppendJson(std::string& out) const;

 private:
  // Drops records older than the span before the newest, and the oldest
  // beyond kSeriesMaxRecords; moves what is kept to the front now and then.
  void Trim();

  std::vector<size_t> m_rows;  // layout rows that have a series
  // Record times and, per series, values, in record order from m_first on.
  std::vector<int64_t> m_timesMs;
  std::vector<std::vector<float>> m_values;
  size_t m_first = 0;
  bool m_timesAscending = true;
};
