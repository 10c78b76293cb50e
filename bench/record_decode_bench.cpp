// Records per second through splitting and every list cell's text, default layout.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "config/record_layout.h"
#include "decode/record_view.h"

namespace {

// A record text of the default layout with values spread over the 16-bit
// range, fixed seed so every run decodes the same texts.
std::string RandomRecord(const RecordLayout& layout) {
  std::mt19937 generator(20261210);
  std::uniform_int_distribution<int> value(-32768, 32767);
  std::string text;
  for (int64_t i = 0; i < RecordValueCount(layout); ++i) {
    text += std::to_string(value(generator));
    text += ',';
  }
  return text;
}

void BM_DecodeRecordDefaultLayout(benchmark::State& state) {
  const RecordLayout layout;
  const std::string record = RandomRecord(layout);
  for (auto _ : state) {
    RecordTexts texts = DecodeRecord(layout, record);
    benchmark::DoNotOptimize(texts);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(record.size()));
}
BENCHMARK(BM_DecodeRecordDefaultLayout);

}  // namespace

BENCHMARK_MAIN();
