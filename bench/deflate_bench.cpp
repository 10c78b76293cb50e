// Throughput of DeflateCompressor, with one search thread and with two, on
// generated inputs (a telemetry-log-like text, a mixed corpus, a noisy
// telemetry log), plus a whole-process mode for timing against gzip -8 on
// files.
//
//   deflate_bench [--benchmark_...]         Google Benchmark runs
//   deflate_bench --write-inputs DIR        writes the generated inputs to DIR
//   deflate_bench --compress-file IN [--output OUT] [--threads 0..8]
//                                           compresses IN as the ZIP writer does
//                                           (raw deflate to OUT, or discarded)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "archive/deflate_compressor.h"
#include "platform/posix_io.h"
#include "tests/archive/deflate_test_inputs.h"

namespace {

using plenx::deflate_test::Bytes;

constexpr size_t kTelemetryLogBytes = 20u << 20;
constexpr size_t kMixedCorpusBytes = 52'000'000;
constexpr size_t kNoisyLogBytes = 52'000'000;

const Bytes& TelemetryLogInput() {
  static const Bytes input = plenx::deflate_test::TelemetryLog(kTelemetryLogBytes, 1);
  return input;
}

const Bytes& MixedCorpusInput() {
  static const Bytes input = plenx::deflate_test::MixedCorpus(kMixedCorpusBytes, 2);
  return input;
}

const Bytes& NoisyLogInput() {
  static const Bytes input = plenx::deflate_test::NoisyTelemetryLog(kNoisyLogBytes, 3);
  return input;
}

// state.range(0): search threads.
void CompressInput(benchmark::State& state, const Bytes& input) {
  DeflateCompressor compressor(static_cast<unsigned>(state.range(0)));  // reused, as the ZIP writer reuses it
  uint64_t compressedBytes = 0;
  for (auto _ : state) {
    size_t offset = 0;
    uint16_t flags = 0;
    std::string error;
    compressedBytes = compressor.Compress(
        DeflateCompressor::kZipLevel,
        [&](uint8_t* buffer, uint32_t count) -> uint32_t {
          const size_t n = std::min<size_t>(count, input.size() - offset);
          std::memcpy(buffer, input.data() + offset, n);
          offset += n;
          return static_cast<uint32_t>(n);
        },
        [](const uint8_t* bytes, uint32_t count) { benchmark::DoNotOptimize(bytes[count - 1]); }, flags,
        error);
    if (!error.empty()) state.SkipWithError(error.c_str());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
  state.counters["ratio"] = static_cast<double>(compressedBytes) / static_cast<double>(input.size());
}

void BM_CompressTelemetryLog(benchmark::State& state) { CompressInput(state, TelemetryLogInput()); }
void BM_CompressMixedCorpus(benchmark::State& state) { CompressInput(state, MixedCorpusInput()); }
void BM_CompressNoisyLog(benchmark::State& state) { CompressInput(state, NoisyLogInput()); }

// Wall time: with two threads the process's CPU time is not what one waits for.
BENCHMARK(BM_CompressTelemetryLog)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(BM_CompressMixedCorpus)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_CompressNoisyLog)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

bool WriteInputs(const std::string& directory) {
  auto write = [](const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
  };
  return write(directory + "/telemetry_log.txt", TelemetryLogInput()) &&
         write(directory + "/mixed_corpus.bin", MixedCorpusInput()) &&
         write(directory + "/noisy_log.txt", NoisyLogInput());
}

double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Whole process: reads the file with read(2) in the sizes the compressor
// asks for. Prints the stream's size and the CPU seconds of the calling
// thread (reading, stitching the workers' symbols, writing) and of all
// threads: what more cores could share and what they could not.
int CompressFile(const std::string& inputPath, const std::string& outputPath, int threads) {
  const int input = OpenFile(inputPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (input < 0) {
    std::perror(inputPath.c_str());
    return 1;
  }
  FILE* output = outputPath.empty() ? nullptr : std::fopen(outputPath.c_str(), "wb");
  if (!outputPath.empty() && output == nullptr) {
    std::perror(outputPath.c_str());
    CloseFile(input);
    return 1;
  }
  DeflateCompressor compressor(static_cast<unsigned>(threads));
  uint16_t flags = 0;
  std::string error;
  const double threadBefore = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const double processBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const uint64_t size = compressor.Compress(
      DeflateCompressor::kZipLevel,
      [input](uint8_t* buffer, uint32_t count) -> uint32_t {
        bool failed = false;
        return static_cast<uint32_t>(ReadAll(input, buffer, count, failed));
      },
      [output](const uint8_t* bytes, uint32_t count) {
        if (output != nullptr) std::fwrite(bytes, 1, count, output);
      },
      flags, error);
  const double threadSeconds = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadBefore;
  const double processSeconds = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore;
  CloseFile(input);
  const bool written = output == nullptr || std::fclose(output) == 0;
  std::printf("%llu bytes, CPU %.3f s on the calling thread, %.3f s on all%s%s\n",
              static_cast<unsigned long long>(size), threadSeconds, processSeconds,
              error.empty() ? "" : ", error: ", error.c_str());
  if (!written) std::perror(outputPath.c_str());
  return error.empty() && written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Deflate compressor benchmark; other options go to Google Benchmark."};
  app.allow_extras();
  std::string inputsDirectory;
  std::string inputPath;
  std::string outputPath;
  int threads = 0;
  app.add_option("--write-inputs", inputsDirectory, "Write the generated inputs to this folder and exit");
  app.add_option("--compress-file", inputPath, "Compress this file once and exit");
  app.add_option("--output", outputPath, "Raw deflate stream of --compress-file (default: discarded)");
  app.add_option("--threads", threads,
                 "Search threads for --compress-file: 1 to 8, or 0 to decide from the CPUs and their load")
      ->check(CLI::Range(0, 8));
  CLI11_PARSE(app, argc, argv);

  if (!inputsDirectory.empty()) return WriteInputs(inputsDirectory) ? 0 : 1;
  if (!inputPath.empty()) return CompressFile(inputPath, outputPath, threads);

  std::vector<std::string> arguments{argv[0]};
  for (const std::string& extra : app.remaining()) arguments.push_back(extra);
  std::vector<char*> benchmarkArgv;
  for (std::string& argument : arguments) benchmarkArgv.push_back(argument.data());
  int benchmarkArgc = static_cast<int>(benchmarkArgv.size());
  benchmark::Initialize(&benchmarkArgc, benchmarkArgv.data());
  if (benchmark::ReportUnrecognizedArguments(benchmarkArgc, benchmarkArgv.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
