// Numeric columns of the list rows, filled record by record.
#include "decode/trend_table.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "decode/outdoor_rules.h"
#include "decode/time_stamp.h"
#include "decode/unit_tabs.h"

namespace {

// Intervals the typical one is taken from: enough to outvote a few gaps.
constexpr size_t kTypicalIntervalSample = 64;

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
  m_timesMs.push_back(timeMs);
}

void TrendTable::AppendDecoded(int64_t timeMs, std::span<const double> rowNumbers, size_t filledRows) {
  AppendTime(timeMs);
  const size_t present = std::min(filledRows, rowNumbers.size());
  for (size_t column = 0; column < m_columns.size(); ++column) {
    const size_t row = m_decoderRows[column];
    m_values[column].push_back(row < present ? static_cast<float>(rowNumbers[row])
                                             : std::numeric_limits<float>::quiet_NaN());
  }
}

void TrendTable::Append(const LocalTime& time, std::string_view record) {
  AppendTime(WallClockMs(time));
  const size_t present = m_decoder.Load(record);
  for (size_t column = 0; column < m_columns.size(); ++column) {
    const size_t row = m_decoderRows[column];
    m_values[column].push_back(row < present ? static_cast<float>(m_decoder.Value(row))
                                             : std::numeric_limits<float>::quiet_NaN());
  }
}

int64_t TrendTable::TypicalIntervalMs() const {
  std::vector<int64_t> intervals;
  for (size_t i = 1; i < m_timesMs.size() && intervals.size() < kTypicalIntervalSample; ++i) {
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
