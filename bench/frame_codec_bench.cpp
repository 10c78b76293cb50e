// Throughput of the frame decoder on a long default-layout stream with
// garbage between frames, and of record-text formatting.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "config/record_layout.h"
#include "link/frame_decoder.h"
#include "link/frame_encoder.h"
#include "link/record_text.h"

namespace {

constexpr int kDefaultValueCount = static_cast<int>(RecordValueCount(RecordLayout{}));
constexpr int kFramesInStream = 20000;  // about 9.4 MB

std::vector<int16_t> RandomValues(std::mt19937& random) {
  std::uniform_int_distribution<int> value(-32512, 32767);
  std::vector<int16_t> values(kDefaultValueCount);
  for (auto& v : values) v = static_cast<int16_t>(value(random));
  return values;
}

const std::vector<uint8_t>& Stream() {
  static const std::vector<uint8_t> stream = [] {
    std::mt19937 random(7);
    std::vector<uint8_t> bytes;
    for (int frame = 0; frame < kFramesInStream; ++frame) {
      // One frame in ten is preceded by a few bytes of line noise.
      if (frame % 10 == 0) bytes.insert(bytes.end(), {0x13, 0x00, 0x7F});
      AppendFrame(bytes, frame % 5, RandomValues(random));
    }
    return bytes;
  }();
  return stream;
}

void BM_DecodeStream(benchmark::State& state) {
  const auto& stream = Stream();
  auto decoder = FrameDecoder::Create(kDefaultValueCount);
  int64_t frames = 0;
  for (auto _ : state) {
    for (const uint8_t byte : stream) {
      frames += decoder->PutByte(byte);
    }
    benchmark::DoNotOptimize(frames);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
  state.counters["frames"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeStream);

void BM_FormatRecordText(benchmark::State& state) {
  std::mt19937 random(11);
  const std::vector<int16_t> values = RandomValues(random);
  for (auto _ : state) {
    std::string text = FormatRecordText(values);
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatRecordText);

}  // namespace

BENCHMARK_MAIN();
