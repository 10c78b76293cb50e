// Regression mode of a fuzz target without libFuzzer: feeds every file of the
// given files and folders (folders walked recursively, in name order) to
// LLVMFuzzerTestOneInput once. A broken invariant aborts the run; a run that
// finds no input at all fails too, so a missing corpus is never a pass.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Targets that need set-up define it; libFuzzer calls it once before the first input.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsIn(const std::filesystem::path& root) {
  std::vector<std::filesystem::path> inputs;
  if (std::filesystem::is_directory(root)) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
  } else if (std::filesystem::is_regular_file(root)) {
    inputs.push_back(root);
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER_OR_FILE...\n", argv[0]);
    return 2;
  }
  size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    for (const std::filesystem::path& path : InputsIn(argv[i])) {
      std::ifstream in(path, std::ios::binary);
      const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
      }
      std::fprintf(stderr, "input %s (%zu bytes)\n", path.c_str(), bytes.size());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++runs;
    }
  }
  if (runs == 0) {
    std::fprintf(stderr, "no input found in the given corpus\n");
    return 1;
  }
  std::printf("%zu inputs passed\n", runs);
  return 0;
}
