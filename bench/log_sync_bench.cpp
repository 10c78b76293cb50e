// The cost of flushing the log to the disk, which a run does at least once
// a second so that a power cut loses at most the last second of lines:
// one default log line (229 values, 948 bytes) appended as the log
// writer appends it, without a flush, with a data flush (fdatasync) after
// every line, with a full flush (fsync) after every line, and with one data
// flush after a second's lines at the board's rate (two). The log lies in
// the system's temporary folder, or in PLENX_BENCH_DIR (a USB stick is the
// case that matters on site).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/append_file.h"
#include "platform/file_sync.h"
#include "platform/posix_io.h"

namespace {

// Lines a second at the board's rate: a default frame takes about half a
// second on the wire.
constexpr int kLinesPerSecond = 2;
// A new log is started after this many bytes, so the file stays small.
constexpr size_t kLogRestartBytes = 64u * 1024u * 1024u;

// One default record's log line: its time stamp and 229 values.
std::string DefaultLogLine() {
  std::string line = "2015/03/07-14:05:09.042   -   ";
  for (int i = 0; i < 229; ++i) line += std::to_string(100 + (i * 37) % 700) + ",";
  return line + "\r\n";
}

// A log in the benchmark folder, removed at the end.
class ScratchLog {
 public:
  ScratchLog() {
    const char* dir = getenv("PLENX_BENCH_DIR");
    std::string pattern =
        (dir != nullptr ? std::string(dir) : std::filesystem::temp_directory_path().string()) +
        "/sync-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) CloseFile(fd);
    m_path = pattern;
    Reopen();
  }
  ~ScratchLog() {
    CloseFile(m_fd);
    unlink(m_path.c_str());
  }
  int fd() const { return m_fd; }
  const std::string& path() const { return m_path; }
  // Appends line; starts the log afresh now and then.
  bool Append(const std::string& line) {
    m_bytes += line.size();
    if (m_bytes > kLogRestartBytes) {
      CloseFile(m_fd);
      unlink(m_path.c_str());
      Reopen();
      m_bytes = line.size();
    }
    return AppendWhole(m_fd, line);
  }

 private:
  void Reopen() { m_fd = OpenLockedForAppend(m_path); }
  std::string m_path;
  int m_fd = -1;
  size_t m_bytes = 0;
};

void BM_AppendLine(benchmark::State& state) {
  ScratchLog log;
  const std::string line = DefaultLogLine();
  for (auto _ : state) {
    if (!log.Append(line)) state.SkipWithError("append failed");
  }
  state.SetLabel(log.path());
}
BENCHMARK(BM_AppendLine)->UseRealTime();

void BM_AppendLineDataFlushEach(benchmark::State& state) {
  ScratchLog log;
  const std::string line = DefaultLogLine();
  for (auto _ : state) {
    if (!log.Append(line) || !SyncFileData(log.fd())) state.SkipWithError("append or flush failed");
  }
}
BENCHMARK(BM_AppendLineDataFlushEach)->UseRealTime();

void BM_AppendLineFullFlushEach(benchmark::State& state) {
  ScratchLog log;
  const std::string line = DefaultLogLine();
  for (auto _ : state) {
    if (!log.Append(line) || !SyncFile(log.fd())) state.SkipWithError("append or flush failed");
  }
}
BENCHMARK(BM_AppendLineFullFlushEach)->UseRealTime();

// What the run pays once a second: a second's lines, then one data flush.
void BM_SecondOfLinesThenDataFlush(benchmark::State& state) {
  ScratchLog log;
  const std::string line = DefaultLogLine();
  for (auto _ : state) {
    for (int i = 0; i < kLinesPerSecond; ++i) {
      if (!log.Append(line)) state.SkipWithError("append failed");
    }
    if (!SyncFileData(log.fd())) state.SkipWithError("flush failed");
  }
}
BENCHMARK(BM_SecondOfLinesThenDataFlush)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
