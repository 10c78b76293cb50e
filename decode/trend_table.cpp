// Numeric columns of the list rows, filled record by record.
#include "decode/trend_table.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "decode/outdoor_rules.h"
#include "decode/time_stamp.h"
#include "decode/unit_tabs.h"

namespace {

// Intervals the typical one is taken from: enough to outvote a few gaps.
constexpr size_t kTypicalIntervalSample = 64;
// A bounded table's records as they came are aged a quarter of their
// number at a time; the batch is even, so that older rows come in pairs.
constexpr size_t kAgedShare = 4;
constexpr size_t kRecentRecordsMultiple = 2 * kAgedShare;
// Older rows are halved four at a time (two buckets into one).
constexpr size_t kOlderRowsMultiple = 4;

size_t RoundUpToMultiple(size_t value, size_t multiple) {
  return std::max(multiple, (value + multiple - 1) / multiple * multiple);
}

}  // namespace

TrendTable::TrendTable(const LoggerConfig& config)
    : m_layout(config.Layout()), m_decoder(m_layout), m_valuesPerRecord(config.ValuesPerRecord()) {
  const std::vector<std::string> tabTexts = UnitTabTexts(config.numDevices);
  for (size_t row = 0; row < m_decoder.RowCount(); ++row) {
    const ValueQuantity quantity = m_decoder.Quantity(row);
    if (quantity == ValueQuantity::kNone) continue;
    const ListRow& listRow = m_decoder.Row(row);
    const auto list = static_cast<size_t>(listRow.listIndex);
    const auto param = static_cast<size_t>(listRow.shown.param);
    const std::vector<std::string>* labels = list == kOutdoorListIndex           ? &config.statusLabels
                                             : list - 1 < config.acLabels.size() ? &config.acLabels[list - 1]
                                                                                 : nullptr;
    TrendColumn column;
    column.listIndex = listRow.listIndex;
    column.param = listRow.shown.param;
    column.position = listRow.shown.position;
    column.quantity = quantity;
    if (list < tabTexts.size()) column.tabText = tabTexts[list];
    if (labels != nullptr && param < labels->size()) column.label = (*labels)[param];
    m_columns.push_back(std::move(column));
    m_decoderRows.push_back(row);
  }
  m_values.resize(m_columns.size());
}

TrendTable::TrendTable(const LoggerConfig& config, const TrendTableBound& bound) : TrendTable(config) {
  m_bound.recentRecords = RoundUpToMultiple(bound.recentRecords, kRecentRecordsMultiple);
  m_bound.olderRows = RoundUpToMultiple(bound.olderRows, kOlderRowsMultiple);
}

int TrendTable::ColumnOf(int listIndex, int param) const {
  for (size_t column = 0; column < m_columns.size(); ++column) {
    if (m_columns[column].listIndex == listIndex && m_columns[column].param == param) {
      return static_cast<int>(column);
    }
  }
  return -1;
}

void TrendTable::AppendTime(int64_t timeMs) {
  if (!m_timesMs.empty() && timeMs < m_timesMs.back()) m_timesAscending = false;
  if (m_bound.recentRecords > 0 && m_timesMs.size() == m_timesMs.capacity()) {
    // Grown as far as the bound needs and no further.
    const size_t mostRows = m_bound.recentRecords + m_bound.recentRecords / kAgedShare + m_bound.olderRows;
    Reserve(std::min(std::max<size_t>(2 * m_timesMs.size(), 1), mostRows));
  }
  m_timesMs.push_back(timeMs);
}

void TrendTable::KeepBound() {
  if (m_bound.recentRecords == 0) return;
  const size_t recent = m_timesMs.size() - m_olderRows;
  const size_t aged = m_bound.recentRecords / kAgedShare;
  if (recent < m_bound.recentRecords + aged) return;
  if (m_recordsPerOlderRow == 1) {
    // Older rows that stand for one record each are the records themselves.
    m_olderRows += aged;
  } else {
    const size_t end = m_olderRows + aged;
    const size_t merged = MergeBuckets(m_olderRows, end, 2 * m_recordsPerOlderRow);
    EraseRows(merged, end);
    m_olderRows = merged;
  }
  while (m_olderRows > m_bound.olderRows) {
    const size_t merged = MergeBuckets(0, m_olderRows, kOlderRowsMultiple);
    EraseRows(merged, m_olderRows);
    m_olderRows = merged;
    m_recordsPerOlderRow *= 2;
  }
}

size_t TrendTable::MergeBuckets(size_t first, size_t end, uint64_t bucket) {
  // Column by column, each read front to back: the rows written lie at or
  // before the rows still to be read.
  const auto bucketEnd = [&](size_t from) {
    return from + static_cast<size_t>(std::min<uint64_t>(bucket, end - from));
  };
  size_t to = first;
  for (size_t from = first; from < end; from = bucketEnd(from), to += 2) {
    const int64_t lowMs = m_timesMs[from];
    const int64_t highMs = m_timesMs[from + (bucketEnd(from) - from) / 2];
    m_timesMs[to] = lowMs;
    m_timesMs[to + 1] = highMs;
  }
  for (std::vector<float>& values : m_values) {
    to = first;
    for (size_t from = first; from < end; to += 2) {
      const size_t next = bucketEnd(from);
      float low = std::numeric_limits<float>::infinity();
      float high = -std::numeric_limits<float>::infinity();
      for (; from < next; ++from) {
        // NaN (no number) is passed over; a bucket without any number keeps NaN.
        low = std::fmin(low, values[from]);
        high = std::fmax(high, values[from]);
      }
      const bool any = low <= high;
      values[to] = any ? low : std::numeric_limits<float>::quiet_NaN();
      values[to + 1] = any ? high : std::numeric_limits<float>::quiet_NaN();
    }
  }
  return to;
}

void TrendTable::EraseRows(size_t from, size_t to) {
  const auto erase = [from, to](auto& column) {
    column.erase(column.begin() + static_cast<std::ptrdiff_t>(from),
                 column.begin() + static_cast<std::ptrdiff_t>(to));
  };
  erase(m_timesMs);
  for (std::vector<float>& values : m_values) erase(values);
}

void TrendTable::AppendDecoded(int64_t timeMs, std::span<const double> rowNumbers, size_t filledRows) {
  AppendTime(timeMs);
  const size_t present = std::min(filledRows, rowNumbers.size());
  for (size_t column = 0; column < m_columns.size(); ++column) {
    const size_t row = m_decoderRows[column];
    m_values[column].push_back(row < present ? static_cast<float>(rowNumbers[row])
                                             : std::numeric_limits<float>::quiet_NaN());
  }
  KeepBound();
}

void TrendTable::Append(const LocalTime& time, std::string_view record) {
  AppendTime(WallClockMs(time));
  const size_t present = m_decoder.Load(record);
  for (size_t column = 0; column < m_columns.size(); ++column) {
    const size_t row = m_decoderRows[column];
    m_values[column].push_back(row < present ? static_cast<float>(m_decoder.Value(row))
                                             : std::numeric_limits<float>::quiet_NaN());
  }
  KeepBound();
}

int64_t TrendTable::TypicalIntervalMs() const {
  std::vector<int64_t> intervals;
  for (size_t i = m_olderRows + 1; i < m_timesMs.size() && intervals.size() < kTypicalIntervalSample; ++i) {
    intervals.push_back(m_timesMs[i] - m_timesMs[i - 1]);
  }
  if (intervals.empty()) return 0;
  const auto middle = intervals.begin() + static_cast<std::ptrdiff_t>(intervals.size() / 2);
  std::nth_element(intervals.begin(), middle, intervals.end());
  return std::max<int64_t>(*middle, 0);
}

void TrendTable::Clear() {
  m_timesMs.clear();
  for (std::vector<float>& values : m_values) values.clear();
  m_timesAscending = true;
  m_olderRows = 0;
  m_recordsPerOlderRow = 1;
}

void TrendTable::Reserve(size_t count) {
  m_timesMs.reserve(count);
  for (std::vector<float>& values : m_values) values.reserve(count);
}

size_t TrendTable::MemoryBytes() const {
  size_t bytes = m_timesMs.capacity() * sizeof(int64_t);
  for (const std::vector<float>& values : m_values) bytes += values.capacity() * sizeof(float);
  return bytes;
}

std::vector<size_t> DefaultTrendColumns(const TrendTable& table) {
  std::vector<size_t> columns;
  for (const int param : {kOutdoorAirTemperatureParam, kOutdoorCoilTemperatureParam,
                          kDischargeTemperatureParam, kCompressorParam}) {
    const int column = table.ColumnOf(kOutdoorListIndex, param);
    if (column >= 0) columns.push_back(static_cast<size_t>(column));
  }
  return columns;
}
