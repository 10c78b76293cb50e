// deflate_differential: compresses generated inputs and system files with the
// project's compressor at the ZIP level, with each number of search threads
// asked for (one thread, worker threads), and compares each stream byte for
// byte with the deflate data of `gzip -8 -n`. A stream that differs is also
// inflated with zlib, to tell a valid but different stream from a broken one.
// Prints one line per mismatch and a summary; exit status 0 when every
// stream matched, 1 on a mismatch or when gzip failed, 2 for bad arguments.
#include <stdlib.h>
#include <time.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "archive/deflate_compressor.h"
#include "fuzz/differential/generated_inputs.h"
#include "fuzz/differential/gzip_oracle.h"
#include "fuzz/support/raw_inflate.h"

namespace {

constexpr uint64_t kMiB = 1 << 20;
// A progress line goes to standard error after every this many input bytes.
constexpr uint64_t kProgressEveryBytes = 100 * kMiB;

struct Options {
  uint64_t generatedBytes = 600 * kMiB;
  uint64_t systemBytes = 500 * kMiB;
  std::vector<std::string> systemRoots = {"/usr/bin", "/usr/lib", "/usr/share", "/usr/include"};
  uint64_t seed = 1;
  uint64_t maxFileBytes = 64 * kMiB;
  std::string scratchParent;
  std::string keepMismatches;
  // Search threads of the compressors each input goes through: 1 for the
  // calling thread alone, 2 to 8 workers, 0 as the CPUs and their load say.
  std::vector<unsigned> threads = {1, 3};
};

struct Tally {
  const char* source = "";
  uint64_t files = 0;
  uint64_t bytes = 0;
  uint64_t compressedBytes = 0;
  uint64_t mismatches = 0;
  uint64_t oracleFailures = 0;
  double oursCpuSeconds = 0;
};

// The process's, so that worker threads count too.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string Compress(DeflateCompressor& compressor, const std::string& input, std::string& error) {
  std::string stream;
  size_t offset = 0;
  uint16_t flags = 0;
  compressor.Compress(
      DeflateCompressor::kZipLevel,
      [&](uint8_t* buffer, uint32_t count) {
        const size_t n = std::min<size_t>(count, input.size() - offset);
        std::copy_n(input.data() + offset, n, buffer);
        offset += n;
        return static_cast<uint32_t>(n);
      },
      [&](const uint8_t* bytes, uint32_t count) {
        stream.append(reinterpret_cast<const char*>(bytes), count);
      },
      flags, error);
  return stream;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out.good();
}

class Differential {
 public:
  explicit Differential(const Options& options) : m_options(options) {
    for (const unsigned threads : options.threads)
      m_compressors.push_back(std::make_unique<DeflateCompressor>(threads));
  }

  // Compares one input, whose bytes are also in the file at path.
  void Compare(Tally& tally, const std::string& label, const std::string& path, const std::string& input) {
    std::future<std::optional<std::string>> gzip = std::async(std::launch::async, [&path] {
      std::string problem;
      std::optional<std::string> data = GzipDeflateData(path, problem);
      if (!data) std::fprintf(stderr, "%s\n", problem.c_str());
      return data;
    });
    std::vector<std::string> ours(m_compressors.size());
    std::vector<std::string> errors(m_compressors.size());
    const double cpuBefore = CpuSeconds();
    for (size_t mode = 0; mode < m_compressors.size(); ++mode) {
      ours[mode] = Compress(*m_compressors[mode], input, errors[mode]);
    }
    tally.oursCpuSeconds += CpuSeconds() - cpuBefore;
    const std::optional<std::string> theirs = gzip.get();

    ++tally.files;
    tally.bytes += input.size();
    tally.compressedBytes += ours.front().size();
    if (!theirs) {
      ++tally.oracleFailures;
    } else {
      bool mismatch = false;
      for (size_t mode = 0; mode < m_compressors.size(); ++mode) {
        if (ours[mode] == *theirs && errors[mode].empty()) continue;
        mismatch = true;
        Report(label + ", " + ThreadsName(m_options.threads[mode]), input, ours[mode], *theirs, errors[mode]);
      }
      if (mismatch) ++tally.mismatches;
    }
    if (tally.bytes / kProgressEveryBytes != (tally.bytes - input.size()) / kProgressEveryBytes) {
      std::fprintf(stderr, "%s: %llu files, %.0f MiB so far\n", tally.source,
                   static_cast<unsigned long long>(tally.files), static_cast<double>(tally.bytes) / kMiB);
    }
  }

 private:
  void Report(const std::string& label, const std::string& input, const std::string& ours,
              const std::string& theirs, const std::string& error) {
    const auto firstDifference = std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end());
    std::string problem;
    const std::optional<std::string> inflated = InflateRaw(ours, input.size(), problem);
    const bool valid = inflated && *inflated == input;
    std::printf(
        "MISMATCH %s: %zu bytes; ours %zu, gzip %zu bytes, first difference at byte %td; ours %s%s%s\n",
        label.c_str(), input.size(), ours.size(), theirs.size(), firstDifference.first - ours.begin(),
        valid ? "inflates back to the input" : "does NOT inflate back to the input",
        error.empty() ? "" : "; compressor reported: ", error.c_str());
    if (!m_options.keepMismatches.empty()) {
      const std::string kept = m_options.keepMismatches + "/mismatch-" + std::to_string(++m_kept) + ".bin";
      if (WriteFile(kept, input)) std::printf("  input kept as %s\n", kept.c_str());
    }
  }

  static std::string ThreadsName(unsigned threads) {
    if (threads == DeflateCompressor::kSearchThreadsByLoad) return "threads by load";
    return threads == 1 ? "one thread" : std::to_string(threads) + " workers";
  }

  const Options& m_options;
  std::vector<std::unique_ptr<DeflateCompressor>> m_compressors;
  int m_kept = 0;
};

// Regular files under the roots (symbolic links not followed), at most
// maxFileBytes each, in an order shuffled by the seed and cut at the budget.
std::vector<std::filesystem::path> SystemFiles(const Options& options) {
  std::vector<std::filesystem::path> files;
  const auto skip = std::filesystem::directory_options::skip_permission_denied;
  for (const std::string& root : options.systemRoots) {
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(root, skip, error), end; !error && it != end;
         it.increment(error)) {
      std::error_code statError;
      if (it->is_symlink(statError) || !it->is_regular_file(statError)) continue;
      if (it->file_size(statError) <= options.maxFileBytes && !statError) files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  SplitMix64 random(options.seed);
  for (size_t i = files.size(); i > 1; --i) std::swap(files[i - 1], files[random.Below(i)]);
  return files;
}

void PrintTally(const Tally& tally) {
  std::printf("| %s | %llu | %llu | %llu | %llu | %.1f |\n", tally.source,
              static_cast<unsigned long long>(tally.files), static_cast<unsigned long long>(tally.bytes),
              static_cast<unsigned long long>(tally.compressedBytes),
              static_cast<unsigned long long>(tally.mismatches), tally.oursCpuSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  CLI::App app("Compares the deflate compressor with gzip -8 on generated inputs and system files.");
  app.add_option("--generated-bytes", options.generatedBytes, "bytes of generated input")
      ->capture_default_str();
  app.add_option("--system-bytes", options.systemBytes, "bytes of system files")->capture_default_str();
  app.add_option("--system-root", options.systemRoots, "folder to take system files from (repeatable)")
      ->capture_default_str();
  app.add_option("--seed", options.seed, "seed of the generated inputs and of the file choice")
      ->capture_default_str();
  app.add_option("--max-file-bytes", options.maxFileBytes, "largest system file taken")
      ->capture_default_str();
  app.add_option("--scratch", options.scratchParent,
                 "folder for the generated inputs (default $TMPDIR or /tmp)");
  app.add_option("--keep-mismatches", options.keepMismatches, "folder to copy each mismatching input to")
      ->check(CLI::ExistingDirectory);
  app.add_option("--threads", options.threads,
                 "search threads of a compressor every input goes through (repeatable): 1, 2 to 8 "
                 "workers, or 0 as the CPUs and their load say")
      ->check(CLI::Range(0, 8))
      ->capture_default_str();
  CLI11_PARSE(app, argc, argv);

  if (options.scratchParent.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    options.scratchParent = tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp";
  }
  std::string scratch = options.scratchParent + "/plenx-differential-XXXXXX";
  if (mkdtemp(scratch.data()) == nullptr) {
    std::fprintf(stderr, "deflate_differential: cannot make a folder in %s\n", options.scratchParent.c_str());
    return 1;
  }
  const std::string inputPath = scratch + "/input";

  const auto started = std::chrono::steady_clock::now();
  Differential differential(options);
  Tally generated{"generated"};
  SplitMix64 random(options.seed);
  while (generated.bytes < options.generatedBytes) {
    const GeneratedInput input = NextGeneratedInput(random);
    const std::string label = "generated #" + std::to_string(generated.files + 1) + " (" + input.kind + ")";
    if (!WriteFile(inputPath, input.bytes)) {
      std::fprintf(stderr, "deflate_differential: cannot write %s\n", inputPath.c_str());
      std::filesystem::remove_all(scratch);
      return 1;
    }
    differential.Compare(generated, label, inputPath, input.bytes);
  }
  std::filesystem::remove_all(scratch);

  Tally system{"system files"};
  uint64_t unreadable = 0;
  for (const std::filesystem::path& path : SystemFiles(options)) {
    if (system.bytes >= options.systemBytes) break;
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
      ++unreadable;
      continue;
    }
    differential.Compare(system, path.string(), path.string(), bytes);
  }
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::string threadList;
  for (const unsigned threads : options.threads) threadList += " " + std::to_string(threads);

  std::printf("\n| source | files | input bytes | compressed bytes | mismatches | our CPU s |\n");
  std::printf("|---|---|---|---|---|---|\n");
  PrintTally(generated);
  PrintTally(system);
  const uint64_t oracleFailures = generated.oracleFailures + system.oracleFailures;
  const uint64_t mismatches = generated.mismatches + system.mismatches;
  std::printf(
      "\n%llu files, %llu bytes, %llu mismatches, %llu gzip failures, %llu unreadable files skipped; "
      "%.0f s elapsed (seed %llu; threads%s)\n",
      static_cast<unsigned long long>(generated.files + system.files),
      static_cast<unsigned long long>(generated.bytes + system.bytes),
      static_cast<unsigned long long>(mismatches), static_cast<unsigned long long>(oracleFailures),
      static_cast<unsigned long long>(unreadable), elapsed, static_cast<unsigned long long>(options.seed),
      threadList.c_str());
  return mismatches == 0 && oracleFailures == 0 ? 0 : 1;
}
