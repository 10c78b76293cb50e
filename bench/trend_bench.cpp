// Trend charts of a 24-hour log: reading the log into its numeric columns,
// the min/max downsampling of a day into one plot's pixel columns, and the
// chart window's whole redraw (downsampling, handing the points to Qt
// Charts, painting) offscreen. The log is a simulated installation's day,
// 180 000 records every 480 ms, as a logger writes it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "decode/min_max_downsampler.h"
#include "decode/trend_log_reader.h"
#include "decode/trend_table.h"
#include "panels/trend_chart_view.h"
#include "panels/trend_window.h"
#include "testkit/simulated_log.h"

namespace {

constexpr int64_t kDayRecords = 180'000;
constexpr int kPlotWidthPx = 1000;
constexpr int kChartWidthPx = 1280;
constexpr int kChartHeightPx = 720;
constexpr size_t kWritePieceBytes = 1 << 20;

LoggerConfig DefaultConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

// The day's log written once to a scratch folder, removed at exit.
class DayLog {
 public:
  DayLog() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plenx-trend-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    m_folder = pattern;
    std::FILE* file = std::fopen(Path().c_str(), "wb");
    if (file == nullptr) return;
    // Written piece by piece, so that the peak memory the window benchmark
    // reports is the window's, not the day's text held here.
    BoardModel model{RecordLayout{}, 1};
    const int64_t startMs = WallClockMs(LocalTime{2015, 3, 7, 0, 0, 0, 0});
    std::string lines;
    m_written = true;
    for (int64_t r = 0; r < kDayRecords; ++r) {
      model.Advance(kSimulatedRecordIntervalMs / 1000.0);
      lines +=
          FormatLogLine(WallClockTime(startMs + r * kSimulatedRecordIntervalMs), SimulatedRecordText(model));
      if (lines.size() >= kWritePieceBytes || r + 1 == kDayRecords) {
        m_written = m_written && std::fwrite(lines.data(), 1, lines.size(), file) == lines.size();
        m_sizeBytes += lines.size();
        lines.clear();
      }
    }
    m_written = std::fclose(file) == 0 && m_written;
  }
  ~DayLog() {
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }
  bool ok() const { return m_written; }
  std::string Path() const { return m_folder + "/site.log"; }
  uint64_t SizeBytes() const { return m_sizeBytes; }

 private:
  std::string m_folder;
  uint64_t m_sizeBytes = 0;
  bool m_written = false;
};

const DayLog& TheDayLog() {
  static const DayLog log;
  return log;
}

// Reads the day's log into table; false when it cannot be read.
bool ReadDay(TrendTable& table) {
  const int fd = open(TheDayLog().Path().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const TrendLogReport report = ReadTrendLog(fd, TheDayLog().SizeBytes(), table);
  close(fd);
  return report.readError == 0 && report.skippedLines == 0;
}

// Resident memory now, from /proc/self/statm.
double ResidentMB() {
  long pages = 0;
  long resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double PeakRssMB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

QApplication& Application() {
  static int argc = 1;
  static char name[] = "trend_bench";
  static char* argv[] = {name, nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static QApplication application(argc, argv);
  return application;
}

// "Open log...": the file read into the columns of every numeric parameter.
void BM_ReadDayLog(benchmark::State& state) {
  if (!TheDayLog().ok()) {
    state.SkipWithError("cannot write the day's log");
    return;
  }
  const LoggerConfig config = DefaultConfig();
  size_t records = 0;
  size_t columnBytes = 0;
  size_t columns = 0;
  for (auto _ : state) {
    TrendTable table(config);
    if (!ReadDay(table)) {
      state.SkipWithError("cannot read the day's log");
      return;
    }
    records = table.Size();
    columnBytes = table.MemoryBytes();
    columns = table.Columns().size();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TheDayLog().SizeBytes()));
  state.counters["records"] = static_cast<double>(records);
  state.counters["columns"] = static_cast<double>(columns);
  state.counters["log_MB"] = static_cast<double>(TheDayLog().SizeBytes()) / 1e6;
  state.counters["table_MB"] = static_cast<double>(columnBytes) / 1e6;
}
BENCHMARK(BM_ReadDayLog)->Unit(benchmark::kMillisecond)->UseRealTime();

// The points of one line for a 1000-pixel plot of the whole day.
void BM_DownsampleDay(benchmark::State& state) {
  TrendTable table(DefaultConfig());
  if (!ReadDay(table)) {
    state.SkipWithError("cannot read the day's log");
    return;
  }
  const size_t column = DefaultTrendColumns(table).at(2);
  const DrawRange range{table.TimesMs().front(), table.TimesMs().back(), kPlotWidthPx, 10'000};
  std::vector<TrendPoint> points;
  for (auto _ : state) {
    points.clear();
    DownsampleMinMax(table.TimesMs(), table.Values(column), table.TimesAscending(), range, points);
    benchmark::DoNotOptimize(points.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(table.Size()));
  state.counters["points"] = static_cast<double>(points.size());
}
BENCHMARK(BM_DownsampleDay)->Unit(benchmark::kMicrosecond);

// A redraw of six lines over the whole day in a 1280 x 720 chart: the
// downsampling, the points handed to Qt Charts, and the chart painted into
// a pixmap, as a zoom, a pan or a new record causes.
void BM_RedrawDayChart(benchmark::State& state) {
  Application();
  TrendTable table(DefaultConfig());
  if (!ReadDay(table)) {
    state.SkipWithError("cannot read the day's log");
    return;
  }
  std::vector<size_t> columns = DefaultTrendColumns(table);
  for (size_t column = 0; columns.size() < kMaxTrendSeries; ++column) {
    if (std::find(columns.begin(), columns.end(), column) == columns.end()) columns.push_back(column);
  }
  TrendChartView chart;
  chart.resize(kChartWidthPx, kChartHeightPx);
  chart.show();
  QCoreApplication::processEvents();
  chart.SetTable(&table);
  chart.SetColumns(columns);
  // Alternately the whole day and its middle hour, so every redraw changes.
  const int64_t first = table.TimesMs().front();
  const int64_t last = table.TimesMs().back();
  const int64_t middle = first + (last - first) / 2;
  const bool paint = state.range(0) != 0;
  bool whole = true;
  for (auto _ : state) {
    if (whole) {
      chart.ShowRange(first, last);
    } else {
      chart.ShowRange(middle, middle + kMsPerHour);
    }
    whole = !whole;
    if (paint) {
      const QPixmap picture = chart.grab();
      benchmark::DoNotOptimize(picture.cacheKey());
    }
  }
  state.counters["points"] = static_cast<double>(chart.DrawnPointCount());
}
// paint:0 leaves out the painting: the chart's own work and Qt Charts' layout.
BENCHMARK(BM_RedrawDayChart)->ArgName("paint")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the user waits for: "Open log..." on the day's log until the chart
// is drawn, in the window itself, with its reading worker; and the
// process's memory with the log shown and at its peak (run this benchmark
// alone for a peak that is the window's).
void BM_OpenDayLogInWindow(benchmark::State& state) {
  Application();
  if (!TheDayLog().ok()) {
    state.SkipWithError("cannot write the day's log");
    return;
  }
  TheDayLog();
  double residentMB = 0;
  const double cpuBefore = ProcessCpuSeconds();
  for (auto _ : state) {
    const TrendTable runTable(DefaultConfig(), kRunTrendBound);
    TrendWindow window(DefaultConfig(), runTable);
    window.onError = [&state](const QString& text) { state.SkipWithError(text.toStdString().c_str()); };
    window.show();
    window.resize(kChartWidthPx, kChartHeightPx);
    window.OpenLog(TheDayLog().Path());
    while (window.ReadingLog()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const QPixmap picture = window.grab();
    benchmark::DoNotOptimize(picture.cacheKey());
    residentMB = ResidentMB();
  }
  // Both threads' CPU time, which other work on a shared machine changes least.
  state.counters["process_CPU_ms"] =
      (ProcessCpuSeconds() - cpuBefore) * 1000.0 / static_cast<double>(state.iterations());
  state.counters["RSS_MB"] = residentMB;
  state.counters["peak_RSS_MB"] = PeakRssMB();
}
BENCHMARK(BM_OpenDayLogInWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
