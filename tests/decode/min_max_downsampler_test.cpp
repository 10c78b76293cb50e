// Downsampling for drawing: every pixel column keeps its minimum and
// maximum, the point count is bounded by the columns, and the line breaks
// where records are missing.
#include "decode/min_max_downsampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Series {
  std::vector<int64_t> timesMs;
  std::vector<float> values;
};

// count records about intervalMs apart (jittered), with noisy values.
Series NoisySeries(size_t count, int64_t intervalMs, uint32_t seed) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int64_t> jitter(0, intervalMs / 4);
  std::normal_distribution<float> noise(0, 5);
  Series series;
  int64_t timeMs = 1'425'737'109'042;
  float value = 40;
  for (size_t i = 0; i < count; ++i) {
    timeMs += intervalMs + jitter(generator);
    value += noise(generator);
    series.timesMs.push_back(timeMs);
    series.values.push_back(value);
  }
  return series;
}

int64_t ColumnOf(const DrawRange& range, int64_t timeMs) {
  return static_cast<int64_t>(std::floor(static_cast<double>(timeMs - range.fromMs) * range.pixelColumns /
                                         static_cast<double>(range.toMs - range.fromMs)));
}

// Lowest and highest value per pixel column, of the records or points inside the range.
std::map<int64_t, std::pair<float, float>> ExtremesByColumn(const DrawRange& range,
                                                            const std::vector<int64_t>& timesMs,
                                                            const std::vector<float>& values) {
  std::map<int64_t, std::pair<float, float>> extremes;
  for (size_t i = 0; i < timesMs.size(); ++i) {
    if (std::isnan(values[i]) || timesMs[i] < range.fromMs || timesMs[i] > range.toMs) continue;
    const auto [entry, added] = extremes.try_emplace(ColumnOf(range, timesMs[i]), values[i], values[i]);
    entry->second.first = std::min(entry->second.first, values[i]);
    entry->second.second = std::max(entry->second.second, values[i]);
  }
  return extremes;
}

TEST(MinMaxDownsamplerTest, KeepsEveryMinimumAndMaximum) {
  const Series series = NoisySeries(180'000, 480, 7);  // a day of records
  const int64_t first = series.timesMs.front();
  const int64_t last = series.timesMs.back();
  const struct {
    const char* name;
    DrawRange range;
  } cases[] = {
      {"WholeDayOn1200Columns", {first, last, 1200, 10'000}},
      {"AnHourOn800Columns", {first + 3'600'000, first + 7'200'000, 800, 10'000}},
      {"TwoMinutesOn1000Columns", {last - 120'000, last, 1000, 10'000}},  // fewer records than columns
      {"BeyondTheRecords", {last - 60'000, last + 60'000, 500, 10'000}},
  };
  for (const auto& c : cases) {
    std::vector<TrendPoint> points;
    DownsampleMinMax(series.timesMs, series.values, true, c.range, points);
    std::vector<int64_t> pointTimes;
    std::vector<float> pointValues;
    for (const TrendPoint& point : points) {
      ASSERT_FALSE(std::isnan(point.value)) << c.name << ": no gap, no break";
      pointTimes.push_back(point.timeMs);
      pointValues.push_back(point.value);
    }
    EXPECT_TRUE(std::is_sorted(pointTimes.begin(), pointTimes.end())) << c.name;
    EXPECT_EQ(ExtremesByColumn(c.range, pointTimes, pointValues),
              ExtremesByColumn(c.range, series.timesMs, series.values))
        << c.name;
    // Four per column, and the nearest record beyond each edge.
    EXPECT_LE(points.size(), 4u * static_cast<size_t>(c.range.pixelColumns) + 2) << c.name;
    EXPECT_LE(pointTimes.front(), c.range.fromMs) << c.name;
    if (last > c.range.toMs) {
      EXPECT_GT(pointTimes.back(), c.range.toMs) << c.name;
    }
  }
}

TEST(MinMaxDownsamplerTest, UnorderedTimesKeepEveryExtremeInsideTheRange) {
  Series series = NoisySeries(20'000, 480, 11);
  // The clock set back an hour halfway: the later records overlap the earlier.
  for (size_t i = series.timesMs.size() / 2; i < series.timesMs.size(); ++i) series.timesMs[i] -= 3'600'000;
  const DrawRange range{series.timesMs[1000], series.timesMs[9000], 600, 10'000};
  std::vector<TrendPoint> points;
  DownsampleMinMax(series.timesMs, series.values, false, range, points);
  std::vector<int64_t> pointTimes;
  std::vector<float> pointValues;
  for (const TrendPoint& point : points) {
    pointTimes.push_back(point.timeMs);
    pointValues.push_back(point.value);
  }
  EXPECT_EQ(ExtremesByColumn(range, pointTimes, pointValues),
            ExtremesByColumn(range, series.timesMs, series.values));
}

// Breaks (NaN) where the line must not be joined; records far apart on
// purpose, so that each has a pixel column of its own.
TEST(MinMaxDownsamplerTest, BreaksAtGapsMissingValuesAndAClockSetBack) {
  const std::vector<int64_t> times = {0, 1000, 2000, 30'000, 31'000, 32'000, 33'000, 20'000, 21'000};
  const std::vector<float> values = {1, 2, 3, 4, 5, kNaN, 7, 8, 9};
  std::vector<TrendPoint> points;
  DownsampleMinMax(times, values, false, DrawRange{0, 40'000, 40, 10'000}, points);
  std::vector<std::pair<int64_t, float>> drawn;
  for (const TrendPoint& point : points)
    drawn.emplace_back(point.timeMs, std::isnan(point.value) ? -1 : point.value);
  const std::vector<std::pair<int64_t, float>> expected = {
      {0, 1},       {1000, 2},   {2000, 3},    // joined
      {30'000, -1}, {30'000, 4}, {31'000, 5},  // 28 s gap
      {33'000, -1}, {33'000, 7},               // a record without the value
      {20'000, -1}, {20'000, 8}, {21'000, 9},  // the clock went back
  };
  EXPECT_EQ(drawn, expected);
}

// A bounded table's merged rows lie further apart than records: among them,
// and from the last of them to the first record after, a longer gap joins.
TEST(MinMaxDownsamplerTest, MergedRowsJoinWithinTheirOwnGap) {
  const std::vector<int64_t> times = {0, 40'000, 80'000, 120'000, 121'000, 140'000};
  const std::vector<float> values = {1, 2, 3, 4, 5, 6};
  DrawRange range{0, 200'000, 200, 10'000};
  range.coarseRecords = 3;
  range.coarseMaxGapMs = 40'000;
  std::vector<TrendPoint> points;
  DownsampleMinMax(times, values, true, range, points);
  std::vector<std::pair<int64_t, float>> drawn;
  for (const TrendPoint& point : points)
    drawn.emplace_back(point.timeMs, std::isnan(point.value) ? -1 : point.value);
  const std::vector<std::pair<int64_t, float>> expected = {
      {0, 1},        {40'000, 2},  {80'000, 3}, {120'000, 4}, {121'000, 5},  // joined
      {140'000, -1}, {140'000, 6},                                           // a 19 s gap among records
  };
  EXPECT_EQ(drawn, expected);
}

TEST(MinMaxDownsamplerTest, FirstLowestHighestLastOfAColumnInRecordOrder) {
  const std::vector<int64_t> times = {0, 10, 20, 30, 40, 50, 1000};
  const std::vector<float> values = {5, 9, 1, 7, 1, 6, 2};
  std::vector<TrendPoint> points;
  DownsampleMinMax(times, values, true, DrawRange{0, 2000, 2, 10'000}, points);
  std::vector<float> drawn;
  for (const TrendPoint& point : points) drawn.push_back(point.value);
  // Column 0: first 5, highest 9, lowest 1 (its first), last 6; column 1: 2.
  EXPECT_EQ(drawn, (std::vector<float>{5, 9, 1, 6, 2}));
}

}  // namespace
