// plenx-fleet-sim: a fleet of simulated loggers in one process, each a
// BrokerPublisher fed records of the window's full layout (a 69-value
// outdoor list and four 40-value unit lists) at a steady rate, as a run
// would feed it. Each site's own log (DIR/<site>.log) gets a line only once
// the publisher has written its record to the spool, so the log is exactly
// what the publisher promises to deliver even when this process is killed.
// Prints "records <n> cpu_ms <ms>" at the end.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "broker/broker_publisher.h"
#include "decode/log_line.h"

namespace {

constexpr int kOutdoorRows = 69;
constexpr int kUnitRows = 40;
constexpr int kUnits = 4;

std::shared_ptr<const RunLayout> MakeFullLayout() {
  auto layout = std::make_shared<RunLayout>();
  const char* tabs[] = {"OUTDOOR", "INDOOR A / HK", "INDOOR B", "INDOOR C", "ZIZU"};
  for (int list = 0; list <= kUnits; ++list) {
    const int rows = list == 0 ? kOutdoorRows : kUnitRows;
    layout->lists.push_back({tabs[list], layout->rows.size(), static_cast<size_t>(rows)});
    for (int param = 0; param < rows; ++param) {
      RunRow row;
      row.listIndex = list;
      row.param = param;
      row.position = static_cast<int64_t>(layout->rows.size());
      row.quantity = param % 5 == 0 ? ValueQuantity::kNone
                                    : (param % 3 == 0 ? ValueQuantity::kFahrenheit : ValueQuantity::kNumber);
      row.label = "Parameter " + std::to_string(param) +
                  (param % 3 == 0 ? " [\xB0"
                                    "F]"
                                  : " [rpm]");
      layout->rows.push_back(row);
    }
  }
  layout->valuesPerRecord = static_cast<int64_t>(layout->rows.size());
  return layout;
}

std::shared_ptr<const RunRecord> MakeRecord(const RunLayout& layout, uint64_t sequence) {
  auto record = std::make_shared<RunRecord>();
  record->sequence = sequence;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  record->time = LocalTimeAt(now);
  record->timeMs = static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
  record->logged = true;
  for (size_t row = 0; row < layout.rows.size(); ++row) {
    // Most values drift slowly; a few change with every record.
    const int value = static_cast<int>(row * 7 + (row % 10 == 0 ? sequence : sequence / 20) % 50);
    record->text += std::to_string(value) + ",";
    if (layout.rows[row].quantity == ValueQuantity::kNone) {
      record->texts.push_back(value % 2 == 0 ? "Heat" : "Cool");
      record->numbers.push_back(NAN);
    } else {
      record->texts.push_back(std::to_string(value) + ".0");
      record->numbers.push_back(value);
    }
  }
  record->filledRows = layout.rows.size();
  return record;
}

struct Site {
  std::string name;
  std::unique_ptr<BrokerPublisher> publisher;
  int logFd = -1;
};

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"A fleet of simulated loggers publishing to an MQTT broker", "plenx-fleet-sim"};
  std::string url;
  int sites = 1;
  std::string prefix = "site";
  double rate = 2;
  double seconds = 10;
  uint64_t records = 0;
  std::string spoolRoot;
  std::string logRoot;
  app.add_option("--mqtt", url)->required();
  app.add_option("--sites", sites);
  app.add_option("--prefix", prefix);
  app.add_option("--rate", rate, "records per second and site");
  app.add_option("--seconds", seconds);
  app.add_option("--records", records, "records per site, then end (instead of --seconds)");
  app.add_option("--spool-root", spoolRoot)->required();
  app.add_option("--log-root", logRoot)->required();
  CLI11_PARSE(app, argc, argv);

  const std::shared_ptr<const RunLayout> layout = MakeFullLayout();
  std::vector<Site> fleet(static_cast<size_t>(sites));
  for (int i = 0; i < sites; ++i) {
    Site& site = fleet[static_cast<size_t>(i)];
    site.name = prefix + std::to_string(i);
    BrokerSettings settings;
    settings.url = url;
    settings.site = site.name;
    settings.spoolFolder = spoolRoot + "/" + site.name;
    BrokerConfigResult config = ResolveBrokerSettings(settings);
    if (!config.config) {
      std::fprintf(stderr, "plenx-fleet-sim: %s\n", config.problem.c_str());
      return 2;
    }
    site.publisher = std::make_unique<BrokerPublisher>(*config.config, [](const BrokerNotice& notice) {
      std::fprintf(stderr, "plenx-fleet-sim: %s\n", notice.text.c_str());
    });
    const std::string logPath = logRoot + "/" + site.name + ".log";
    site.logFd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    RunStart start;
    start.layout = layout;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    start.time = LocalTimeAt(now);
    start.portName = "COM3";
    start.logPath = logPath;
    site.publisher->OnRunStarted(start);
  }

  const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(1.0 / rate));
  const auto end =
      std::chrono::steady_clock::now() +
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
  auto next = std::chrono::steady_clock::now();
  uint64_t sequence = 0;
  uint64_t taken = 0;
  while (records > 0 ? sequence < records : std::chrono::steady_clock::now() < end) {
    ++sequence;
    // All sites take their record at once; each line goes to its log once
    // its publisher has the record in the spool.
    std::vector<std::shared_ptr<const RunRecord>> tick;
    std::vector<uint64_t> spooledBefore;
    for (Site& site : fleet) {
      tick.push_back(MakeRecord(*layout, sequence));
      spooledBefore.push_back(site.publisher->GetCounts().recordsSpooled);
      site.publisher->OnRecord(tick.back());
    }
    for (size_t i = 0; i < fleet.size(); ++i) {
      while (fleet[i].publisher->GetCounts().recordsSpooled == spooledBefore[i]) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      const std::string line = FormatLogLine(tick[i]->time, tick[i]->text);
      if (write(fleet[i].logFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return 1;
      ++taken;
    }
    next += period;
    std::this_thread::sleep_until(next);
  }
  for (Site& site : fleet) site.publisher->OnRunEnded(RunEnd{});
  fleet.clear();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long long cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
                          (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
  std::printf("records %llu cpu_ms %lld\n", static_cast<unsigned long long>(taken), cpuMs);
  return 0;
}
