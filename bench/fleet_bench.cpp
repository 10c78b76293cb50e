// The fleet: one plenx-collect and one local mosquitto taking 200 simulated
// sites (plenx-fleet-sim, each a BrokerPublisher with its own spool) at 2
// records/s each for 60 s, the broker killed with -9 and restarted once in
// the middle. Counts the lines lost and written twice (each site's
// collected log against the log the simulator kept), the collector's CPU
// per 1 000 records, and the time from a record's stamp to its line on the
// collector's disk (inotify), whose 99th percentile bounds the broker-to-
// disk latency from above. Then one site alone for 60 s: the publisher's
// CPU at the line's rate, the logger's added cost.
#include <benchmark/benchmark.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "testkit/child_process.h"
#include "testkit/test_broker.h"

namespace {

const std::string kCollect = std::string(PLENX_BIN_DIR) + "/plenx-collect";
const std::string kFleetSim = std::string(PLENX_TESTS_DIR) + "/plenx-fleet-sim";
constexpr int kSitesPerProcess = 50;

// CPU seconds a process has used so far (user + system), from /proc.
double ProcessCpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  unsigned long long user = 0;
  unsigned long long system = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) user = std::stoull(field);
    if (index == 15) {
      system = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Milliseconds since the epoch of a log line's local time stamp.
int64_t LineStampMs(const std::string& line) {
  std::tm fields{};
  int milliseconds = 0;
  if (std::sscanf(line.c_str(), "%4d/%2d/%2d-%2d:%2d:%2d.%3d", &fields.tm_year, &fields.tm_mon,
                  &fields.tm_mday, &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &milliseconds) != 7) {
    return -1;
  }
  fields.tm_year -= 1900;
  fields.tm_mon -= 1;
  fields.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&fields)) * 1000 + milliseconds;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Follows every site's log under a folder as the collector writes it and
// notes, per line, how long after its stamp it reached the file.
class DiskWatcher {
 public:
  explicit DiskWatcher(std::string folder) : m_folder(std::move(folder)) {
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(m_fd, m_folder.c_str(), IN_CREATE);
    m_thread = std::thread([this] { Run(); });
  }
  ~DiskWatcher() {
    m_stop = true;
    m_thread.join();
    close(m_fd);
  }
  std::vector<int64_t> LatenciesMs() {
    std::lock_guard lock(m_mutex);
    return m_latencies;
  }

 private:
  void Run() {
    char buffer[64 * 1024];
    while (!m_stop) {
      pollfd ready{m_fd, POLLIN, 0};
      if (poll(&ready, 1, 100) <= 0) continue;
      const ssize_t got = read(m_fd, buffer, sizeof buffer);
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (event->mask & IN_CREATE && event->mask & IN_ISDIR) {
          const std::string site = m_folder + "/" + event->name;
          const int watch = inotify_add_watch(m_fd, site.c_str(), IN_MODIFY);
          m_sites[watch] = site;
        } else if (event->mask & IN_MODIFY && event->len > 0 && event->name[0] != '.') {
          ReadNew(m_sites[event->wd] + "/" + event->name);
        }
      }
    }
  }
  void ReadNew(const std::string& path) {
    const int64_t now = NowMs();
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(m_offsets[path]));
    std::string line;
    std::lock_guard lock(m_mutex);
    while (std::getline(file, line)) {
      if (file.eof()) break;  // a line not yet whole
      m_offsets[path] += line.size() + 1;
      const int64_t stamp = LineStampMs(line);
      if (stamp > 0) m_latencies.push_back(now - stamp);
    }
  }

  std::string m_folder;
  int m_fd = -1;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
  std::map<int, std::string> m_sites;
  std::map<std::string, uint64_t> m_offsets;
  std::mutex m_mutex;
  std::vector<int64_t> m_latencies;
};

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) lines.push_back(line);
  return lines;
}

void BM_FleetThroughBrokerKill(benchmark::State& state) {
  const int sites = static_cast<int>(state.range(0));
  const int seconds = static_cast<int>(state.range(1));
  for (auto _ : state) {
    TestBroker broker;
    if (!broker.Start()) {
      state.SkipWithError("mosquitto did not start");
      return;
    }
    TempFolder work;
    const std::string office = work.Path("office");
    const std::string logs = work.Path("logs");
    std::filesystem::create_directories(office);
    std::filesystem::create_directories(logs);
    DiskWatcher watcher(office);
    ChildProcess collector;
    collector.Start({kCollect, "--mqtt", broker.Url(), "--dir", office, "--client-id", "bench"},
                    work.Path("collect.out"));
    WaitUntil([&] { return collector.Output().find("collecting") != std::string::npos; }, 10'000);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the broker saves the session

    // A few simulator processes: libmosquitto's loop waits with select(),
    // which takes no descriptor above 1023, and each site holds about five.
    std::vector<std::unique_ptr<ChildProcess>> fleets;
    std::vector<std::string> names;
    for (int first = 0, part = 0; first < sites; first += kSitesPerProcess, ++part) {
      const int count = std::min(kSitesPerProcess, sites - first);
      const std::string prefix = "p" + std::to_string(part) + "-site";
      for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
      fleets.push_back(std::make_unique<ChildProcess>());
      fleets.back()->Start({kFleetSim, "--mqtt", broker.Url(), "--sites", std::to_string(count), "--prefix",
                            prefix, "--rate", "2", "--seconds", std::to_string(seconds), "--spool-root",
                            work.Path("spools"), "--log-root", logs},
                           work.Path("fleet.out"));
    }
    std::this_thread::sleep_for(std::chrono::seconds(seconds / 2));
    broker.Kill();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    broker.Start();
    for (auto& fleet : fleets) fleet->Wait((seconds + 120) * 1000);

    uint64_t expected = 0;
    uint64_t lost = 0;
    uint64_t twice = 0;
    const auto collectedAll = [&] {
      for (const std::string& site : names) {
        std::error_code missing;
        const uint64_t want = std::filesystem::file_size(logs + "/" + site + ".log", missing);
        const uint64_t got = std::filesystem::file_size(office + "/" + site + "/" + site + ".log", missing);
        if (missing || got < want) return false;
      }
      return true;
    };
    WaitUntil(collectedAll, 120'000);
    const double cpuSeconds = ProcessCpuSeconds(collector.Pid());
    collector.Stop();
    for (const std::string& site : names) {
      const std::vector<std::string> want = FileLines(logs + "/" + site + ".log");
      const std::vector<std::string> got = FileLines(office + "/" + site + "/" + site + ".log");
      expected += want.size();
      const std::multiset<std::string> gotSet(got.begin(), got.end());
      for (const std::string& line : want) lost += gotSet.count(line) == 0 ? 1 : 0;
      std::set<std::string> seen;
      for (const std::string& line : got) twice += seen.insert(line).second ? 0 : 1;
    }
    std::vector<int64_t> latencies = watcher.LatenciesMs();
    std::sort(latencies.begin(), latencies.end());
    const auto percentile = [&](double p) {
      return latencies.empty()
                 ? 0.0
                 : static_cast<double>(latencies[static_cast<size_t>(p * (latencies.size() - 1))]);
    };
    state.counters["records"] = static_cast<double>(expected);
    state.counters["lost"] = static_cast<double>(lost);
    state.counters["twice"] = static_cast<double>(twice);
    state.counters["collector_cpu_ms_per_1000"] =
        expected > 0 ? 1e6 * cpuSeconds / static_cast<double>(expected) : 0;
    state.counters["latency_p50_ms"] = percentile(0.50);
    state.counters["latency_p99_ms"] = percentile(0.99);
    state.counters["latency_max_ms"] = percentile(1.0);
  }
}
BENCHMARK(BM_FleetThroughBrokerKill)
    ->Args({200, 60})
    ->Args({5, 6})
    ->ArgNames({"sites", "seconds"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// One logger publishing at the line's rate: the CPU its publisher adds.
void BM_OneLoggerPublishing(benchmark::State& state) {
  const int seconds = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TestBroker broker;
    if (!broker.Start()) {
      state.SkipWithError("mosquitto did not start");
      return;
    }
    TempFolder work;
    std::filesystem::create_directories(work.Path("logs"));
    const CommandResult result = RunCommand(
        kFleetSim + " --mqtt " + broker.Url() + " --sites 1 --rate 2 --seconds " + std::to_string(seconds) +
        " --spool-root " + work.Path("spools") + " --log-root " + work.Path("logs"));
    unsigned long long records = 0;
    long long cpuMs = 0;
    std::sscanf(result.output.c_str(), "records %llu cpu_ms %lld", &records, &cpuMs);
    state.counters["records"] = static_cast<double>(records);
    state.counters["cpu_percent_of_core"] = 100.0 * static_cast<double>(cpuMs) / (1000.0 * seconds);
  }
}
BENCHMARK(BM_OneLoggerPublishing)
    ->Arg(60)
    ->ArgName("seconds")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
