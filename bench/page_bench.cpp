// The live page's costs: the processor time of the whole logger process
// while browsers' event streams are open and records come at the control
// board's pace; the first paint of the page's values in a real browser on
// loopback; the face's own time per record, and the time to make the whole
// state.
//
// The stream clients run in a child process forked before the page starts
// any thread, so the process measured holds only the page (its server
// threads and the face) and the thread that feeds it records.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "page/live_page.h"
#include "page/live_state.h"
#include "testkit/headless_browser.h"
#include "testkit/page_fixture.h"

namespace {

// The control board's pace, and how long the streams are measured.
constexpr auto kRecordInterval = std::chrono::milliseconds(500);
constexpr auto kMeasureTime = std::chrono::seconds(30);
// Ten minutes of records: the sparklines are full when a page loads.
constexpr int kTenMinutesOfRecords = 1250;
constexpr int kPaintTimeoutMs = 20'000;

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Limits that let one address (this machine) open every stream.
PageLimits BenchLimits(int streams) {
  PageLimits limits;
  limits.maxClients = streams + 16;
  limits.maxClientsPerAddress = streams + 16;
  limits.maxStreams = streams;
  limits.requestBurst = streams + 16.0;
  return limits;
}

// The child: reads the page's port from control, opens streams event streams
// on it, says so with one byte on report once each has its first message,
// reads them all until control closes, then reports the fewest records any
// stream received, as text.
[[noreturn]] void RunStreamClients(int control, int report, int streams) {
  int port = 0;
  if (read(control, &port, sizeof port) != sizeof port) _exit(1);
  std::vector<int> sockets;
  const std::string request = "GET /api/stream HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  for (int s = 0; s < streams; ++s) {
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) _exit(1);
    if (send(sock, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size())) _exit(1);
    sockets.push_back(sock);
  }
  std::vector<int> records(static_cast<size_t>(streams), 0);
  std::vector<bool> started(static_cast<size_t>(streams), false);
  std::vector<std::string> tails(static_cast<size_t>(streams));
  bool reported = false;
  for (;;) {
    if (!reported && std::all_of(started.begin(), started.end(), [](bool s) { return s; })) {
      reported = write(report, "r", 1) == 1;
    }
    std::vector<pollfd> fds;
    for (const int sock : sockets) fds.push_back({sock, POLLIN, 0});
    fds.push_back({control, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) continue;
    if (fds.back().revents != 0) break;
    for (size_t s = 0; s < sockets.size(); ++s) {
      if (fds[s].revents == 0) continue;
      char chunk[65536];
      const ssize_t count = recv(sockets[s], chunk, sizeof chunk, 0);
      if (count <= 0) _exit(2);
      // Counted over the chunk and the end of the one before, so no message
      // split between two is missed or counted twice.
      std::string text = tails[s] + std::string(chunk, static_cast<size_t>(count));
      for (size_t at = text.find("event: record\n"); at != std::string::npos;
           at = text.find("event: record\n", at + 1)) {
        ++records[s];
      }
      started[s] = started[s] || text.find("event: state\n") != std::string::npos;
      const size_t keep = std::min<size_t>(text.size(), 13);
      tails[s] = text.substr(text.size() - keep);
    }
  }
  const std::string fewest = std::to_string(*std::min_element(records.begin(), records.end()));
  if (write(report, fewest.data(), fewest.size()) < 0) _exit(1);
  _exit(0);
}

// Processor time of the logger process with range(0) event streams open,
// records at 2 a second.
void BM_EventStreamsCpu(benchmark::State& state) {
  const int streams = static_cast<int>(state.range(0));
  int control[2];
  int report[2];
  if (pipe(control) != 0 || pipe(report) != 0) return state.SkipWithError("no pipe");
  const pid_t child = fork();
  if (child == 0) {
    close(control[1]);
    close(report[0]);
    RunStreamClients(control[0], report[1], streams);
  }
  close(control[0]);
  close(report[1]);

  LoggerConfig config;
  config.Load("");
  SimulatedRecords records(config, 1);
  PageSettings settings;
  settings.serve = true;
  std::string error;
  std::unique_ptr<LivePage> page = LivePage::Start(settings, error, BenchLimits(std::max(streams, 1)));
  if (!page) return state.SkipWithError(error.c_str());
  page->face().OnRunStarted(TestRunStart(config, ""));
  for (int r = 0; r < kTenMinutesOfRecords; ++r) page->face().OnRecord(records.Next());
  const int port = page->port();
  char ready = 0;
  if (write(control[1], &port, sizeof port) != sizeof port || read(report[0], &ready, 1) != 1) {
    return state.SkipWithError("the stream clients did not start");
  }

  double cpuSeconds = 0;
  double wallSeconds = 0;
  int fed = 0;
  for (auto _ : state) {
    const double cpuStart = ProcessCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (auto next = start; next < start + kMeasureTime; next += kRecordInterval) {
      std::this_thread::sleep_until(next);
      page->face().OnRecord(records.Next());
      ++fed;
    }
    std::this_thread::sleep_until(start + kMeasureTime);
    cpuSeconds += ProcessCpuSeconds() - cpuStart;
    wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  close(control[1]);
  char fewest[32] = {};
  const ssize_t length = read(report[0], fewest, sizeof fewest - 1);
  close(report[0]);
  waitpid(child, nullptr, 0);
  state.counters["cpu_percent_of_core"] = 100.0 * cpuSeconds / wallSeconds;
  state.counters["records_fed"] = fed;
  state.counters["fewest_records_a_stream_got"] = length > 0 ? std::stod(fewest) : 0;
}
BENCHMARK(BM_EventStreamsCpu)
    ->ArgName("streams")
    ->Arg(0)
    ->Arg(50)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// From navigation to the first paint of the values, in a browser already
// running (as a phone's is), of a page with ten minutes of records; each
// iteration loads the page afresh. Beside it, when the page's HTML had
// arrived and when anything was first painted (FCP), from the same start.
void BM_FirstPaint(benchmark::State& state) {
  if (FindChromium().empty()) return state.SkipWithError("chromium is not installed");
  LoggerConfig config;
  config.Load("");
  SimulatedRecords records(config, 1);
  PageSettings settings;
  settings.serve = true;
  std::string error;
  std::unique_ptr<LivePage> page = LivePage::Start(settings, error);
  if (!page) return state.SkipWithError(error.c_str());
  page->face().OnRunStarted(TestRunStart(config, ""));
  for (int r = 0; r < kTenMinutesOfRecords; ++r) page->face().OnRecord(records.Next());

  HeadlessBrowser browser;
  if (!browser.started()) return state.SkipWithError("chromium did not start");
  browser.SetViewport(360, 740, true);

  // The time of the first frame painted after the values are in the page: a
  // task queued from the frame's animation callback runs once it is painted.
  browser.Call("Page.enable", "{}");
  browser.Call("Page.addScriptToEvaluateOnNewDocument", "{\"source\":" + JsonQuoted(R"(
new MutationObserver((changes, observer) => {
  if (!document.documentElement || !document.documentElement.dataset.sequence) return;
  observer.disconnect();
  requestAnimationFrame(() => setTimeout(() => { window.valuesPaintedMs = performance.now(); }));
}).observe(document, { subtree: true, attributes: true, attributeFilter: ["data-sequence"] });)") +
                                                            "}");
  const std::string url = "http://127.0.0.1:" + std::to_string(page->port()) + "/";
  double firstContentfulPaintMs = 0;
  double htmlMs = 0;
  for (auto _ : state) {
    browser.Navigate("about:blank");
    browser.Navigate(url);
    const std::optional<JsonValue> painted =
        browser.WaitFor("window.valuesPaintedMs !== undefined", "window.valuesPaintedMs", kPaintTimeoutMs);
    const std::optional<JsonValue> contentful = browser.WaitFor(
        "performance.getEntriesByName('first-contentful-paint').length > 0",
        "performance.getEntriesByName('first-contentful-paint')[0].startTime", kPaintTimeoutMs);
    const std::optional<JsonValue> html =
        browser.Evaluate("performance.getEntriesByType('navigation')[0].responseEnd");
    if (!painted) return state.SkipWithError("the page did not paint its values");
    if (!contentful || !html) return state.SkipWithError("the browser gave no paint or navigation timing");
    state.SetIterationTime(painted->number() / 1000.0);
    firstContentfulPaintMs += contentful->number();
    htmlMs += html->number();
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["html_received_ms"] = htmlMs / iterations;
  state.counters["first_contentful_paint_ms"] = firstContentfulPaintMs / iterations;
}
BENCHMARK(BM_FirstPaint)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

// The face's time for one record (what the run's thread spends on the page),
// with range(0) streams open; no server, so only the face is timed.
void BM_FaceRecord(benchmark::State& state) {
  LoggerConfig config;
  config.Load("");
  SimulatedRecords records(config, 1);
  std::vector<std::shared_ptr<const RunRecord>> day;
  for (int r = 0; r < kTenMinutesOfRecords * 2; ++r) day.push_back(records.Next());
  LiveState live;
  live.StartRun(TestRunStart(config, ""));
  for (int s = 0; s < state.range(0); ++s) live.StreamOpened();
  size_t next = 0;
  for (auto _ : state) {
    live.TakeRecord(day[next]);
    next = (next + 1) % day.size();
  }
}
BENCHMARK(BM_FaceRecord)->ArgName("streams")->Arg(0)->Arg(50)->Unit(benchmark::kMicrosecond);

// The whole state of a run with ten minutes of records, as /api/state and a
// stream's first message send it; the face waits for it while it is made.
void BM_StateJson(benchmark::State& state) {
  LoggerConfig config;
  config.Load("");
  SimulatedRecords records(config, 1);
  LiveState live;
  live.StartRun(TestRunStart(config, ""));
  for (int r = 0; r < kTenMinutesOfRecords; ++r) live.TakeRecord(records.Next());
  size_t bytes = 0;
  for (auto _ : state) bytes = live.StateJson().size();
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_StateJson)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
