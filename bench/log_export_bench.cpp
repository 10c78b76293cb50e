// Log export throughput: the core steps per log line in memory (cut, parse,
// decode, Value texts), and the whole plenx-export program on a log file,
// timed by its own CPU time.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "decode/log_line.h"
#include "decode/log_line_splitter.h"
#include "decode/record_decoder.h"
#include "decode/shown_params.h"

extern char** environ;

namespace {

constexpr size_t kInMemoryLogBytes = 16u << 20;
constexpr size_t kFileLogBytes = 200u << 20;
// Time between records, as the control board sends them.
constexpr int kRecordIntervalMs = 480;

// Log lines like those of a logger on plenx-board-sim: the shown values of
// the default layout vary (temperatures in sixteenths around 15 to 45 C,
// some below zero outdoors, speeds, modes, states), the others are 0. About
// 570 bytes a line, as the simulator's logs have.
std::string SimulatorLikeLog(size_t sizeBytes) {
  const RecordLayout layout;
  std::vector<int> kind(static_cast<size_t>(RecordValueCount(layout)),
                        0);  // 0 unshown, 1 temperature, 2 other
  for (const std::vector<ShownRow>& list : ListRows(layout)) {
    for (const ShownRow& row : list) {
      const bool outdoor = row.position < layout.statusParams;
      const double scale = outdoor ? StatusParamScale(row.param) : UnitParamScale(row.param);
      kind[static_cast<size_t>(row.position)] = scale == kSixteenthScale ? 1 : 2;
    }
  }
  std::mt19937 generator(20261210);
  std::uniform_int_distribution<int> temperature(-80, 720);
  std::uniform_int_distribution<int> other(0, 1500);
  std::string log;
  log.reserve(sizeBytes + 4096);
  LocalTime time{2015, 3, 7, 14, 0, 0, 0};
  std::string record;
  while (log.size() < sizeBytes) {
    record.clear();
    for (const int k : kind) {
      record += std::to_string(k == 1 ? temperature(generator) : k == 2 ? other(generator) % 400 : 0);
      record += ',';
    }
    log += FormatLogLine(time, record);
    time.milliseconds += kRecordIntervalMs;
    time.second += time.milliseconds / 1000;
    time.milliseconds %= 1000;
    time.minute += time.second / 60;
    time.second %= 60;
    time.hour = (time.hour + time.minute / 60) % 24;
    time.minute %= 60;
  }
  return log;
}

// What plenx-export does with every line but write it out: cut the stream
// into lines, parse each, decode its record and make every cell's text.
void BM_ReadAndDecodeLog(benchmark::State& state) {
  const std::string log = SimulatorLikeLog(kInMemoryLogBytes);
  RecordDecoder decoder{RecordLayout{}};
  std::string cells;
  int64_t records = 0;
  for (auto _ : state) {
    LogLineSplitter splitter;
    LogLine parsed;
    std::string reason;
    splitter.Feed(log, [&](const TextLine& line) {
      if (!ParseLogLine(line.text, parsed, reason)) return;
      const size_t present = decoder.Load(parsed.record);
      cells.clear();
      for (size_t row = 0; row < present; ++row) decoder.AppendText(row, cells);
      benchmark::DoNotOptimize(cells.data());
      ++records;
    });
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(log.size()));
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_ReadAndDecodeLog)->Unit(benchmark::kMillisecond);

// The simulator-like log written once to a scratch folder, removed at exit.
class LogFile200MB {
 public:
  LogFile200MB() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plenx-export-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    m_folder = pattern;
    const std::string log = SimulatorLikeLog(kFileLogBytes);
    m_sizeBytes = log.size();
    std::FILE* file = std::fopen(Path().c_str(), "wb");
    if (file == nullptr) return;
    m_written = std::fwrite(log.data(), 1, log.size(), file) == log.size();
    m_written = std::fclose(file) == 0 && m_written;
  }
  ~LogFile200MB() {
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }
  bool ok() const { return m_written; }
  std::string Path() const { return m_folder + "/site.log"; }
  int64_t SizeBytes() const { return static_cast<int64_t>(m_sizeBytes); }

 private:
  std::string m_folder;
  size_t m_sizeBytes = 0;
  bool m_written = false;
};

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs plenx-export (of the same build) on the log with the CSV going to
// /dev/null; the iteration's time is the program's CPU time (user and
// system), which other work on a shared machine changes least.
void BM_ExportProgram(benchmark::State& state) {
  static const LogFile200MB log;
  if (!log.ok()) {
    state.SkipWithError("cannot write the log to the temporary folder");
    return;
  }
  const std::string program = std::string(PLENX_BIN_DIR) + "/plenx-export";
  std::vector<std::string> args = {program, log.Path(), "-o", "/dev/null"};
  if (state.range(0) != 0) args.insert(args.begin() + 1, "--values");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    const double before = ChildrenCpuSeconds();
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0 ||
        waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError(("plenx-export failed: " + program).c_str());
      return;
    }
    state.SetIterationTime(ChildrenCpuSeconds() - before);
  }
  state.SetBytesProcessed(state.iterations() * log.SizeBytes());
}
BENCHMARK(BM_ExportProgram)
    ->ArgName("values")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
