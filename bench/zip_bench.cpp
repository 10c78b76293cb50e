// ZIP writer throughput: archiving a telemetry-like log as the logger does
// at Stop, plus the CRC-32 that every entry's data passes through.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/crc32.h"
#include "archive/zip_writer.h"
#include "bench/telemetry_log.h"

namespace {

constexpr size_t kLogBytes = 100u * 1000u * 1000u;

// The log written once to a scratch folder, removed at exit.
class LogFixture {
 public:
  LogFixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plenx-zip-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    m_folder = pattern;
    const std::string log = TelemetryLog(kLogBytes);
    std::FILE* file = std::fopen(LogPath().c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(log.data(), 1, log.size(), file);
    std::fclose(file);
  }
  ~LogFixture() {
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }
  std::string LogPath() const { return m_folder + "/log.txt"; }
  std::string ArchivePath() const { return m_folder + "/2015-03-07_log.zip"; }

 private:
  std::string m_folder;
};

void ArchiveOnce(benchmark::State& state, const char* entryName) {
  static const LogFixture fixture;
  for (auto _ : state) {
    const ArchiveHandle archive = ArchiveCreate(fixture.ArchivePath().c_str());
    const uint32_t added = ArchiveAddFile(archive, entryName, fixture.LogPath().c_str());
    const uint32_t closed = ArchiveClose(archive);
    if (added != kArchiveSuccess || closed != kArchiveSuccess) {
      state.SkipWithError("archiving failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kLogBytes);
  std::error_code ignored;
  state.counters["archive_bytes"] =
      static_cast<double>(std::filesystem::file_size(fixture.ArchivePath(), ignored));
}

// The logger's own case: the log deflated at level 8.
void BM_ArchiveLogDeflated(benchmark::State& state) { ArchiveOnce(state, "log.txt"); }
BENCHMARK(BM_ArchiveLogDeflated)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same bytes stored: the writer's own cost (reading, CRC-32, writing).
void BM_ArchiveLogStored(benchmark::State& state) { ArchiveOnce(state, "log.gz"); }
BENCHMARK(BM_ArchiveLogStored)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Crc32(benchmark::State& state) {
  const std::string data = TelemetryLog(1 << 20);
  const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
  for (auto _ : state) {
    benchmark::DoNotOptimize(Crc32Update(0, bytes, data.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * data.size());
}
BENCHMARK(BM_Crc32);

}  // namespace

BENCHMARK_MAIN();
