// A week-long run's trends: every record of a week appended to the run's
// bounded table as the window does, with the table's memory at the end, the
// time an append takes on average and at worst (the merges; wall-clock and
// this thread's processor time), and a line of
// the whole week downsampled for a 1000-pixel plot. The records are a
// simulated installation's hour, decoded once and repeated with the week's
// time stamps, one every 480 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "decode/min_max_downsampler.h"
#include "decode/record_decoder.h"
#include "decode/trend_table.h"
#include "testkit/simulated_log.h"

namespace {

constexpr int64_t kHourRecords = 3600 * 1000 / kSimulatedRecordIntervalMs;
constexpr int64_t kWeekRecords = 7 * 24 * kHourRecords;
constexpr int kPlotWidthPx = 1000;
constexpr int64_t kQuietLineMs = 10'000;

using Clock = std::chrono::steady_clock;

LoggerConfig DefaultConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

// An hour of the simulated installation, each record as the run core hands
// it on: every row's number, all rows filled.
std::vector<std::vector<double>> DecodedHour() {
  BoardModel model{RecordLayout{}, 1};
  RecordDecoder decoder(RecordLayout{});
  std::vector<std::vector<double>> hour;
  for (int64_t r = 0; r < kHourRecords; ++r) {
    model.Advance(kSimulatedRecordIntervalMs / 1000.0);
    const size_t filled = decoder.Load(SimulatedRecordText(model));
    std::vector<double>& numbers = hour.emplace_back(decoder.RowCount());
    for (size_t row = 0; row < filled; ++row) numbers[row] = decoder.Value(row);
  }
  return hour;
}

// This thread's processor time: what an append itself costs, whatever else
// the machine runs.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double ResidentMB() {
  long pages = 0;
  long resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// bounded:1 the run's table (kRunTrendBound), bounded:0 one that keeps every
// record, as the window did before.
void BM_WeekOfRecords(benchmark::State& state) {
  const bool bounded = state.range(0) != 0;
  const std::vector<std::vector<double>> hour = DecodedHour();
  const LoggerConfig config = DefaultConfig();
  const int64_t startMs = WallClockMs(LocalTime{2015, 3, 7, 0, 0, 0, 0});
  for (auto _ : state) {
    const double residentBefore = ResidentMB();
    TrendTable table = bounded ? TrendTable(config, kRunTrendBound) : TrendTable(config);
    Clock::duration total{};
    Clock::duration longest{};
    double longestCpuMs = 0;
    for (int64_t r = 0; r < kWeekRecords; ++r) {
      const std::vector<double>& numbers = hour[static_cast<size_t>(r % kHourRecords)];
      const double cpuBegun = ThreadCpuMs();
      const Clock::time_point begun = Clock::now();
      table.AppendDecoded(startMs + r * kSimulatedRecordIntervalMs, numbers, numbers.size());
      const Clock::duration took = Clock::now() - begun;
      total += took;
      longest = std::max(longest, took);
      longestCpuMs = std::max(longestCpuMs, ThreadCpuMs() - cpuBegun);
    }
    const double residentAfter = ResidentMB();
    state.SetIterationTime(std::chrono::duration<double>(total).count());

    // The whole week's line for a plot, as "Whole run" draws it.
    DrawRange range{table.TimesMs().front(), table.TimesMs().back(), kPlotWidthPx, kQuietLineMs};
    range.coarseRecords = table.OlderRows();
    range.coarseMaxGapMs = kQuietLineMs * static_cast<int64_t>(table.RecordsPerOlderRow());
    std::vector<TrendPoint> points;
    const Clock::time_point drawn = Clock::now();
    DownsampleMinMax(table.TimesMs(), table.Values(DefaultTrendColumns(table).at(2)), table.TimesAscending(),
                     range, points);
    const double downsampleMs = std::chrono::duration<double, std::milli>(Clock::now() - drawn).count();

    state.counters["ns_per_record"] =
        std::chrono::duration<double, std::nano>(total).count() / static_cast<double>(kWeekRecords);
    state.counters["longest_append_ms"] = std::chrono::duration<double, std::milli>(longest).count();
    state.counters["longest_append_cpu_ms"] = longestCpuMs;
    state.counters["table_MB"] = static_cast<double>(table.MemoryBytes()) / 1e6;
    state.counters["resident_growth_MB"] = residentAfter - residentBefore;
    state.counters["rows"] = static_cast<double>(table.Size());
    state.counters["records_per_older_row"] = static_cast<double>(table.RecordsPerOlderRow());
    state.counters["week_downsample_ms"] = downsampleMs;
    state.counters["week_points"] = static_cast<double>(points.size());
  }
}
BENCHMARK(BM_WeekOfRecords)
    ->ArgName("bounded")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
