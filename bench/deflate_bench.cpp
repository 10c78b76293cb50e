// Throughput of DeflateCompressor on a telemetry-log-like text and a mixed
// corpus, plus a whole-process mode for timing against gzip -8 on files.
//
//   deflate_bench                           Google Benchmark runs
//   deflate_bench --write-inputs=DIR        writes DIR/telemetry_log.txt and DIR/mixed_corpus.bin
//   deflate_bench --compress-file=IN [--output=OUT]
//                                           compresses IN like the ZIP writer does
//                                           (raw deflate to OUT, or discarded)
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "archive/deflate_compressor.h"
#include "tests/archive/deflate_test_inputs.h"

namespace {

using plenx::deflate_test::Bytes;

constexpr size_t kTelemetryLogBytes = 20u << 20;
constexpr size_t kMixedCorpusBytes = 20u << 20;
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

void CompressInput(benchmark::State& state, const Bytes& input) {
  DeflateCompressor compressor;  // reused, as the ZIP writer reuses it per archive
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

BENCHMARK(BM_CompressTelemetryLog)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CompressMixedCorpus)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CompressNoisyLog)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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

// Whole process: reads the file with read(2) in the sizes the compressor asks for.
int CompressFile(const std::string& inputPath, const std::string& outputPath) {
  const int input = ::open(inputPath.c_str(), O_RDONLY);
  if (input < 0) {
    std::perror(inputPath.c_str());
    return 1;
  }
  FILE* output = outputPath.empty() ? nullptr : std::fopen(outputPath.c_str(), "wb");
  DeflateCompressor compressor;
  uint16_t flags = 0;
  std::string error;
  const uint64_t size = compressor.Compress(
      DeflateCompressor::kZipLevel,
      [input](uint8_t* buffer, uint32_t count) -> uint32_t {
        uint32_t total = 0;
        while (total < count) {
          const ssize_t n = ::read(input, buffer + total, count - total);
          if (n <= 0) break;
          total += static_cast<uint32_t>(n);
        }
        return total;
      },
      [output](const uint8_t* bytes, uint32_t count) {
        if (output != nullptr) std::fwrite(bytes, 1, count, output);
      },
      flags, error);
  ::close(input);
  if (output != nullptr) std::fclose(output);
  std::printf("%llu bytes%s%s\n", static_cast<unsigned long long>(size),
              error.empty() ? "" : ", error: ", error.c_str());
  return error.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string inputPath;
  std::string outputPath;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--write-inputs=", 0) == 0) return WriteInputs(argument.substr(15)) ? 0 : 1;
    if (argument.rfind("--compress-file=", 0) == 0) inputPath = argument.substr(16);
    if (argument.rfind("--output=", 0) == 0) outputPath = argument.substr(9);
  }
  if (!inputPath.empty()) return CompressFile(inputPath, outputPath);

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
