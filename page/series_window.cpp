// Ten-minute series of a run's numeric values.
#include "page/series_window.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "decode/json_text.h"
#include "decode/min_max_downsampler.h"

void SeriesWindow::Reset(const RunLayout& layout) {
  m_rows.clear();
  for (size_t row = 0; row < layout.rows.size(); ++row) {
    if (layout.rows[row].quantity != ValueQuantity::kNone) m_rows.push_back(row);
  }
  m_timesMs.clear();
  m_values.assign(m_rows.size(), {});
  m_first = 0;
  m_timesAscending = true;
}

void SeriesWindow::Add(int64_t timeMs, const std::vector<double>& numbers, size_t filledRows) {
  if (m_timesMs.size() > m_first && timeMs < m_timesMs.back()) m_timesAscending = false;
  m_timesMs.push_back(timeMs);
  const size_t known = std::min(filledRows, numbers.size());
  for (size_t s = 0; s < m_rows.size(); ++s) {
    const size_t row = m_rows[s];
    m_values[s].push_back(row < known ? static_cast<float>(numbers[row])
                                      : std::numeric_limits<float>::quiet_NaN());
  }
  Trim();
}

void SeriesWindow::Trim() {
  const int64_t oldestKept = m_timesMs.back() - kSeriesSpanMs;
  while (m_first < m_timesMs.size() &&
         (m_timesMs.size() - m_first > kSeriesMaxRecords || m_timesMs[m_first] < oldestKept)) {
    ++m_first;
  }
  // Compacting once half the storage is dropped keeps Add amortised O(1).
  if (m_first > 0 && m_first >= m_timesMs.size() - m_first) {
    const auto drop = static_cast<std::ptrdiff_t>(m_first);
    m_timesMs.erase(m_timesMs.begin(), m_timesMs.begin() + drop);
    for (auto& values : m_values) values.erase(values.begin(), values.begin() + drop);
    m_first = 0;
    m_timesAscending = std::is_sorted(m_timesMs.begin(), m_timesMs.end());
  }
}

void SeriesWindow::AppendJson(std::string& out) const {
  out += "{\"spanMs\":";
  AppendJsonInteger(kSeriesSpanMs, out);
  const bool empty = m_timesMs.size() == m_first;
  const int64_t endMs = empty ? 0 : m_timesMs.back();
  out += ",\"endMs\":";
  AppendJsonInteger(endMs, out);
  out += ",\"rows\":[";
  const std::span<const int64_t> times(m_timesMs.data() + m_first, m_timesMs.size() - m_first);
  const DrawRange range{endMs - kSeriesSpanMs, endMs, kSparklineColumns, kSeriesBreakMs};
  std::vector<TrendPoint> points;
  for (size_t s = 0; s < m_rows.size(); ++s) {
    points.clear();
    if (!empty) {
      const std::span<const float> values(m_values[s].data() + m_first, times.size());
      DownsampleMinMax(times, values, m_timesAscending, range, points);
    }
    if (s > 0) out += ',';
    out += "{\"row\":";
    AppendJsonInteger(static_cast<int64_t>(m_rows[s]), out);
    out += ",\"t\":[";
    for (size_t p = 0; p < points.size(); ++p) {
      if (p > 0) out += ',';
      AppendJsonInteger(points[p].timeMs - endMs, out);
    }
    out += "],\"v\":[";
    for (size_t p = 0; p < points.size(); ++p) {
      if (p > 0) out += ',';
      AppendJsonNumber(points[p].value, out);
    }
    out += "]}";
  }
  out += "]}";
}
