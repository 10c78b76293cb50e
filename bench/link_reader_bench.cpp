// CPU time of the link's reader thread on a live, a silent and a dead line,
// and the wall time of one empty read.
// The line is a pseudo-terminal: plenx-board-sim (from the build's bin folder)
// sends default-layout frames paced at 9600 baud; "silent" has nobody
// sending; "dead" is a terminal whose far side is gone, so every read fails
// at once. The process does nothing else while it is measured, so its CPU
// time is the reader's.
#include <benchmark/benchmark.h>

#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "config/record_layout.h"
#include "link/simple_protocol.h"
#include "platform/serial_port.h"
#include "tests/support/record_queue.h"

extern char** environ;

namespace {

constexpr int kDefaultValueCount = static_cast<int>(RecordValueCount(RecordLayout{}));
constexpr auto kMeasureTime = std::chrono::seconds(10);

enum class Line { kPaced9600, kSilent, kDead };

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
  int master = -1;
  int slave = -1;
  char ptyPath[128] = {};
  pid_t simulator = -1;
  std::string path;
  if (line == Line::kPaced9600) {
    path = StartSimulator(simulator);
  } else if (openpty(&master, &slave, ptyPath, nullptr, nullptr) == 0) {
    path = ptyPath;
  }
  if (path.empty()) {
    state.SkipWithError("no line");
    return;
  }
  RecordQueue window;
  CSimpleProtocol link;
  link.SetValueCount(kDefaultValueCount);
  link.SetPortName(path);
  link.SetTarget(&window, WM_LINK_RECORD);
  if (link.Open() != 0) {
    state.SkipWithError("Open failed");
    return;
  }
  if (line == Line::kDead) {
    close(slave);
    close(master);
  }
  double cpuSeconds = 0;
  for (auto _ : state) {
    const double cpuStart = ProcessCpuSeconds();
    std::this_thread::sleep_for(kMeasureTime);
    cpuSeconds = ProcessCpuSeconds() - cpuStart;
  }
  const double wallSeconds = std::chrono::duration<double>(kMeasureTime).count();
  state.counters["cpu_percent_of_core"] = 100 * cpuSeconds / wallSeconds;
  state.counters["records_per_s"] = static_cast<double>(window.Size()) / wallSeconds;
  link.Close();
  if (simulator > 0) {
    kill(simulator, SIGTERM);
    waitpid(simulator, nullptr, 0);
  }
  if (line == Line::kSilent) {
    close(slave);
    close(master);
  }
}

// Wall time of one empty read on a silent and on a hung-up line: the read
// time-out (200 ms), plus whatever the machine adds to wake the reader.
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
    ->Arg(static_cast<int>(Line::kDead))
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
