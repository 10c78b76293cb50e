// Min/max per pixel column, with the first and last point of each column.
#include "decode/min_max_downsampler.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

// The records of one pixel column and line piece seen so far.
class ColumnBucket {
 public:
  bool Open() const { return m_open; }
  int64_t Column() const { return m_column; }

  void Start(int64_t column, size_t record, float value) {
    m_open = true;
    m_column = column;
    m_first = m_last = m_lowest = m_highest = record;
    m_lowValue = m_highValue = value;
  }

  void Add(size_t record, float value) {
    m_last = record;
    if (value < m_lowValue) {
      m_lowValue = value;
      m_lowest = record;
    }
    if (value > m_highValue) {
      m_highValue = value;
      m_highest = record;
    }
  }

  // Appends the bucket's points in record order, each once, and closes it.
  void Emit(std::span<const int64_t> timesMs, std::span<const float> values, std::vector<TrendPoint>& out) {
    size_t records[] = {m_first, m_lowest, m_highest, m_last};
    std::sort(std::begin(records), std::end(records));
    const size_t* end = std::unique(std::begin(records), std::end(records));
    for (const size_t* record = records; record != end; ++record) {
      out.push_back(TrendPoint{timesMs[*record], values[*record]});
    }
    m_open = false;
  }

 private:
  bool m_open = false;
  int64_t m_column = 0;
  size_t m_first = 0;
  size_t m_last = 0;
  size_t m_lowest = 0;
  size_t m_highest = 0;
  float m_lowValue = 0;
  float m_highValue = 0;
};

}  // namespace

void DownsampleMinMax(std::span<const int64_t> timesMs, std::span<const float> values, bool timesAscending,
                      const DrawRange& range, std::vector<TrendPoint>& out) {
  const size_t count = std::min(timesMs.size(), values.size());
  size_t begin = 0;
  size_t end = count;
  if (timesAscending) {
    const auto times = timesMs.first(count);
    begin = static_cast<size_t>(std::lower_bound(times.begin(), times.end(), range.fromMs) - times.begin());
    end = static_cast<size_t>(std::upper_bound(times.begin(), times.end(), range.toMs) - times.begin());
    if (begin > 0) --begin;
    if (end < count) ++end;
  }
  // Column of a time: pixel columns are spanMs / pixelColumns wide.
  const double columnsPerMs = static_cast<double>(std::max(range.pixelColumns, 1)) /
                              static_cast<double>(std::max<int64_t>(range.toMs - range.fromMs, 1));
  const auto columnOf = [&](int64_t timeMs) {
    return static_cast<int64_t>(std::floor(static_cast<double>(timeMs - range.fromMs) * columnsPerMs));
  };

  ColumnBucket bucket;
  bool joined = false;  // the previous record is drawn and the next may join it
  bool breakPending = false;
  bool anyPoint = false;
  int64_t previousMs = 0;
  for (size_t i = begin; i < end; ++i) {
    const int64_t timeMs = timesMs[i];
    const float value = values[i];
    const bool outside = !timesAscending && (timeMs < range.fromMs || timeMs > range.toMs);
    const int64_t maxGapMs = i <= range.coarseRecords ? range.coarseMaxGapMs : range.maxGapMs;
    const bool joins = joined && timeMs >= previousMs && timeMs - previousMs <= maxGapMs;
    if (outside || std::isnan(value) || !joins) {
      if (bucket.Open()) bucket.Emit(timesMs, values, out);
      breakPending = anyPoint;
    }
    joined = !outside && !std::isnan(value);
    previousMs = timeMs;
    if (!joined) continue;
    const int64_t column = columnOf(timeMs);
    if (bucket.Open() && bucket.Column() == column) {
      bucket.Add(i, value);
      continue;
    }
    if (bucket.Open()) bucket.Emit(timesMs, values, out);
    if (breakPending) {
      out.push_back(TrendPoint{timeMs, std::numeric_limits<float>::quiet_NaN()});
      breakPending = false;
    }
    bucket.Start(column, i, value);
    anyPoint = true;
  }
  if (bucket.Open()) bucket.Emit(timesMs, values, out);
}
