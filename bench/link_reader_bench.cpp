// CPU time of the link's reader thread on a live, a silent and a lost line,
// and on a live line with the raw capture on; the wall time of one empty read.
// The line is a pseudo-terminal: plenx-board-sim (from the build's bin folder)
// sends default-layout frames paced at 9600 baud; "silent" has nobody
// sending; "lost" is a terminal whose far side is gone and whose COM port
// link then points nowhere, so the reader waits to reopen it. The process
// does nothing else while it is measured, so its CPU time is the reader's.
#include <benchmark/benchmark.h>

#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "config/record_layout.h"
#include "link/simple_protocol.h"
#include "platform/raw_capture.h"
#include "platform/serial_port.h"
#include "testkit/record_queue.h"

extern char** environ;

namespace {

constexpr int kDefaultValueCount = static_cast<int>(RecordValueCount(RecordLayout{}));
constexpr auto kMeasureTime = std::chrono::seconds(10);

enum class Line { kPaced9600, kSilent, kLost, kPaced9600RawCapture };

// A per-user configuration folder of its own, whose ports/COM9 the lost line
// is reached through; removed at the end.
class PortFolder {
 public:
  PortFolder() {
    char pattern[] = "/tmp/plenx-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    m_root = pattern;
    std::filesystem::create_directories(m_root / "plenx-logger" / "ports");
    setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
  }
  ~PortFolder() {
    std::error_code ignored;
    if (!m_root.empty()) std::filesystem::remove_all(m_root, ignored);
  }
  // Points COM9 at device.
  void Link(const std::string& device) const {
    const std::filesystem::path link = m_root / "plenx-logger" / "ports" / "COM9";
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_symlink(device, link);
  }
  std::filesystem::path File(const char* name) const { return m_root / name; }

 private:
  std::filesystem::path m_root;
};

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Starts plenx-board-sim --pty and returns its terminal's path ("" on failure).
std::string StartSimulator(pid_t& pid) {
  const std::string program = std::string(PLENX_BIN_DIR) + "/plenx-board-sim";
  int out[2];
  if (pipe(out) != 0) return "";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--pty"), const_cast<char*>("--seed"),
                  const_cast<char*>("1"), nullptr};
  const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string path;
  char c = 0;
  while (started && read(out[0], &c, 1) == 1 && c != '\n') path += c;
  close(out[0]);
  return path;
}

void BM_LinkReaderCpu(benchmark::State& state) {
  const auto line = static_cast<Line>(state.range(0));
  const bool paced = line == Line::kPaced9600 || line == Line::kPaced9600RawCapture;
  int master = -1;
  int slave = -1;
  char ptyPath[128] = {};
  pid_t simulator = -1;
  std::string path;
  PortFolder ports;
  if (paced) {
    path = StartSimulator(simulator);
  } else if (openpty(&master, &slave, ptyPath, nullptr, nullptr) == 0) {
    path = ptyPath;
  }
  if (path.empty()) {
    state.SkipWithError("no line");
    return;
  }
  RawCapture capture;
  if (line == Line::kPaced9600RawCapture && capture.Open(ports.File("line.raw")) != 0) {
    state.SkipWithError("no capture file");
    return;
  }
  RecordQueue window;
  CSimpleProtocol link;
  link.SetValueCount(kDefaultValueCount);
  if (line == Line::kLost) {
    // Reopened by its COM name, which must not find a terminal number that
    // has been handed out again.
    ports.Link(path);
    link.SetPortName("COM9");
  } else {
    link.SetPortName(path);
  }
  link.SetTarget(&window, WM_LINK_RECORD);
  link.SetRawCapture(capture.IsOpen() ? &capture : nullptr);
  if (link.Open() != 0) {
    state.SkipWithError("Open failed");
    return;
  }
  if (line == Line::kLost) {
    ports.Link(ports.File("no-adapter"));
    close(slave);
    close(master);
    if (!window.WaitEvent(10000)) {
      state.SkipWithError("the loss was not reported");
      return;
    }
  }
  const int attemptsBefore = link.ReopenAttempts();
  double cpuSeconds = 0;
  for (auto _ : state) {
    const double cpuStart = ProcessCpuSeconds();
    std::this_thread::sleep_for(kMeasureTime);
    cpuSeconds = ProcessCpuSeconds() - cpuStart;
  }
  const double wallSeconds = std::chrono::duration<double>(kMeasureTime).count();
  state.counters["cpu_percent_of_core"] = 100 * cpuSeconds / wallSeconds;
  state.counters["records_per_s"] = static_cast<double>(window.Size()) / wallSeconds;
  if (line == Line::kLost) {
    state.counters["reopens_per_s"] = (link.ReopenAttempts() - attemptsBefore) / wallSeconds;
  }
  // Close wakes the reader from its read or its wait to reopen: how long
  // Stop's close of the link takes.
  const auto closeStart = std::chrono::steady_clock::now();
  link.Close();
  state.counters["close_s"] =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - closeStart).count();
  if (capture.IsOpen()) {
    capture.Close();
    std::error_code ignored;
    state.counters["raw_bytes"] =
        static_cast<double>(std::filesystem::file_size(ports.File("line.raw"), ignored));
  }
  if (simulator > 0) {
    kill(simulator, SIGTERM);
    waitpid(simulator, nullptr, 0);
  }
  if (line == Line::kSilent) {
    close(slave);
    close(master);
  }
}

// Wall time of one empty read on a silent line: the read time-out (200 ms),
// plus whatever the machine adds to wake the reader; and of the read that
// finds a line hung up, which returns at once.
void BM_EmptySerialRead(benchmark::State& state) {
  const bool hungUp = state.range(0) != 0;
  int master = -1;
  int slave = -1;
  char ptyPath[128] = {};
  if (openpty(&master, &slave, ptyPath, nullptr, nullptr) != 0) {
    state.SkipWithError("no line");
    return;
  }
  const SerialHandle port = OpenSerialPort(ptyPath);
  if (port == kInvalidSerialHandle) {
    state.SkipWithError("open failed");
    return;
  }
  ConfigureSerialLine(port, kSerialBaudRate);
  if (hungUp) {
    close(slave);
    close(master);
  }
  for (auto _ : state) {
    uint8_t byte = 0;
    benchmark::DoNotOptimize(ReadSerialByte(port, byte, kSerialReadTimeoutMs));
  }
  CloseSerialPort(port);
  if (!hungUp) {
    close(slave);
    close(master);
  }
}

BENCHMARK(BM_EmptySerialRead)
    ->ArgName("hung_up")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_LinkReaderCpu)
    ->ArgName("line")
    ->Arg(static_cast<int>(Line::kPaced9600))
    ->Arg(static_cast<int>(Line::kSilent))
    ->Arg(static_cast<int>(Line::kLost))
    ->Arg(static_cast<int>(Line::kPaced9600RawCapture))
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
