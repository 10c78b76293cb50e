// Events of a day: the events of a 24-hour log read from the log alone (a
// simulated installation's day, 180 000 records every 480 ms, as a logger
// writes it), and the live cost per record of the run's events face.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "decode/log_change_reader.h"
#include "run/event_face.h"
#include "testkit/run_records.h"
#include "testkit/simulated_log.h"

namespace {

constexpr int64_t kDayRecords = 180'000;
constexpr LocalTime kDayStart{2015, 3, 7, 0, 0, 0, 0};
// The pieces a log is read in, as plenx-export reads it.
constexpr size_t kReadPieceBytes = 1 << 20;
// Records fed to the face per round of the live benchmark.
constexpr int kLiveRecords = 4096;

LoggerConfig DefaultConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

const std::string& DayLog() {
  static const std::string log = SimulatedLog(kDayStart, kDayRecords, 1);
  return log;
}

// The events of the whole day's log, from bytes in memory: cut into lines,
// parsed, decoded, the state rows' texts made and compared.
void BM_EventsOfADayLog(benchmark::State& state) {
  const LoggerConfig config = DefaultConfig();
  const std::string& log = DayLog();
  size_t events = 0;
  uint64_t records = 0;
  for (auto _ : state) {
    LogChangeReader reader(config);
    std::vector<ChangeEvent> out;
    for (size_t at = 0; at < log.size(); at += kReadPieceBytes) {
      reader.Feed(std::string_view(log).substr(at, kReadPieceBytes), out);
    }
    reader.Finish(out);
    events = out.size();
    records = reader.RecordCount();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["events"] = static_cast<double>(events);
  state.counters["MB"] = static_cast<double>(log.size()) / 1e6;
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(log.size()));
}
BENCHMARK(BM_EventsOfADayLog)->Unit(benchmark::kMillisecond);

// What a live run pays per record for its events: the face's OnRecord on
// records decoded once by the run (texts and numbers made beforehand, as
// the run makes them for every face), a listener that counts.
void BM_LiveCostPerRecord(benchmark::State& state) {
  const LoggerConfig config = DefaultConfig();
  const std::shared_ptr<const RunLayout> layout = RunLayoutOf(config);
  RecordDecoder decoder(config.ShownLayout());
  BoardModel model{RecordLayout{}, 1};
  std::vector<std::shared_ptr<const RunRecord>> records;
  const int64_t startMs = WallClockMs(kDayStart);
  for (int r = 0; r < kLiveRecords; ++r) {
    model.Advance(kSimulatedRecordIntervalMs / 1000.0);
    records.push_back(RunRecordOf(decoder, static_cast<uint64_t>(r) + 1,
                                  startMs + int64_t{r} * kSimulatedRecordIntervalMs,
                                  SimulatedRecordText(model)));
  }
  EventFace face;
  size_t events = 0;
  face.AddListener([&events](const ChangeEvent&, const std::shared_ptr<const RunRecord>&) { ++events; });
  RunStart start;
  start.layout = layout;
  start.timeMs = startMs;
  start.time = kDayStart;
  for (auto _ : state) {
    events = 0;
    face.OnRunStarted(start);
    for (const std::shared_ptr<const RunRecord>& record : records) face.OnRecord(record);
  }
  state.counters["events"] = static_cast<double>(events);  // of one round
  state.SetItemsProcessed(state.iterations() * kLiveRecords);
  state.counters["ns_per_record"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kLiveRecords),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LiveCostPerRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
