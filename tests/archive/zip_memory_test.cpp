// The ZIP writer and its compressor when memory runs out: each allocation of
// a whole run is made to fail in turn; every run must end in a documented
// result, leave a sound archive or none, say why, and leak nothing
// (LeakSanitizer checks the last part in the sanitizer build); a compressor
// that cannot have memory for its worker threads writes the same stream
// alone.
//
// This file replaces the global allocation functions of the archive test
// program. Unarmed they are plain malloc and free, so the other tests of the
// program see no difference.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "archive/deflate_compressor.h"
#include "archive/deflate_speculation.h"
#include "archive/log_archive.h"
#include "archive/zip_writer.h"
#include "tests/archive/deflate_test_inputs.h"
#include "tests/archive/deflate_test_support.h"
#include "zip_test_support.h"

namespace {

// Allocations still allowed before one fails; negative when unarmed. The
// compressor's worker threads allocate too.
std::atomic<long> g_allocationsBeforeFailure = -1;
std::atomic<bool> g_allocationFailed = false;

void* Allocate(std::size_t sizeBytes) noexcept {
  long allowed = g_allocationsBeforeFailure.load();
  while (allowed >= 0 && !g_allocationsBeforeFailure.compare_exchange_weak(allowed, allowed - 1)) {
  }
  if (allowed == 0) {
    g_allocationFailed = true;
    return nullptr;
  }
  return std::malloc(sizeBytes == 0 ? 1 : sizeBytes);
}

void* AllocateOrThrow(std::size_t sizeBytes) {
  void* memory = Allocate(sizeBytes);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

void* operator new(std::size_t sizeBytes) { return AllocateOrThrow(sizeBytes); }
void* operator new[](std::size_t sizeBytes) { return AllocateOrThrow(sizeBytes); }
void* operator new(std::size_t sizeBytes, const std::nothrow_t&) noexcept { return Allocate(sizeBytes); }
void* operator new[](std::size_t sizeBytes, const std::nothrow_t&) noexcept { return Allocate(sizeBytes); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

namespace {

struct RunResults {
  bool created = false;
  uint32_t deflated = kArchiveSuccess;
  uint32_t stored = kArchiveSuccess;
  uint32_t closed = kArchiveSuccess;
};

// One archive run with a deflated and a stored entry; nothing in it may
// allocate besides the writer, since the allocation count steers the failure.
RunResults ArchiveRun(const std::string& archivePath, const std::string& logPath) {
  RunResults results;
  const ArchiveHandle archive = ArchiveCreate(archivePath.c_str());
  results.created = archive != nullptr;
  if (archive == nullptr) return results;
  results.deflated = ArchiveAddFile(archive, "log.txt", logPath.c_str());
  results.stored = ArchiveAddFile(archive, "log.gz", logPath.c_str());
  results.closed = ArchiveClose(archive);
  return results;
}

bool IsAddResult(uint32_t result) { return result == kArchiveSuccess || result == kArchiveWriteFailed; }

TEST(ZipWriterMemory, EachFailedAllocationGivesADocumentedResult) {
  TempFolder folder;
  const std::string logPath = folder.Write("log.txt", zip_test::LogLikeText(40000));
  const std::string archivePath = folder.Path("a.zip");
  constexpr long kMaxAllocationsPerRun = 1000;
  long failAt = 0;
  for (; failAt < kMaxAllocationsPerRun; ++failAt) {
    std::filesystem::remove(archivePath);
    g_allocationFailed = false;
    g_allocationsBeforeFailure = failAt;
    const RunResults results = ArchiveRun(archivePath, logPath);
    g_allocationsBeforeFailure = -1;
    if (!g_allocationFailed) {
      EXPECT_TRUE(results.created && results.deflated == kArchiveSuccess &&
                  results.stored == kArchiveSuccess && results.closed == kArchiveSuccess);
      break;
    }
    SCOPED_TRACE("allocation " + std::to_string(failAt) + " failed");
    if (!results.created) {
      EXPECT_FALSE(std::filesystem::exists(archivePath));
      continue;
    }
    EXPECT_TRUE(IsAddResult(results.deflated));
    EXPECT_TRUE(IsAddResult(results.stored));
    EXPECT_TRUE(IsAddResult(results.closed));
    if (results.closed == kArchiveSuccess) {
      // Whatever was recorded reads back whole.
      const CommandResult python = zip_test::PythonZipListing(archivePath);
      EXPECT_NE(python.output.find("OK\n"), std::string::npos) << python.output;
    }
  }
  EXPECT_GT(failAt, 0);
  EXPECT_LT(failAt, kMaxAllocationsPerRun);
}

TEST(ZipWriterMemory, EachFailedAllocationOfTheLogArchiveSaysMemoryRanOut) {
  TempFolder folder;
  const std::string logPath = folder.Write("site.log", zip_test::LogLikeText(40000));
  const LogArchiveName name{folder.Path("2015-03-07_site.zip"), "site.log"};
  constexpr long kMaxAllocationsPerRun = 1000;
  long failAt = 0;
  for (; failAt < kMaxAllocationsPerRun; ++failAt) {
    std::filesystem::remove(name.archivePath);
    g_allocationFailed = false;
    g_allocationsBeforeFailure = failAt;
    const LogArchiveResult result = WriteLogArchive(name, logPath);
    g_allocationsBeforeFailure = -1;
    if (!g_allocationFailed) {
      EXPECT_TRUE(result.written);
      break;
    }
    SCOPED_TRACE("allocation " + std::to_string(failAt) + " failed");
    if (result.written) continue;
    EXPECT_EQ(result.failureReason, "cannot allocate memory");
    EXPECT_FALSE(std::filesystem::exists(name.archivePath));
  }
  EXPECT_GT(failAt, 0);
  EXPECT_LT(failAt, kMaxAllocationsPerRun);
}

TEST(DeflateCompressorMemory, WorkersWithoutMemoryLeaveTheStreamAsOneThreadWritesIt) {
  using plenx::deflate_test::Bytes;
  // Long enough for two workers to take a segment each.
  const Bytes input = plenx::deflate_test::TelemetryLog(3 * plenx::deflate::kSegmentBytes, 70);
  DeflateCompressor oneThread(1);
  const Bytes expected = plenx::deflate_test::CompressBytes(oneThread, input).stream;
  // Nothing of the test itself allocates while a failure is armed.
  Bytes stream;
  stream.reserve(expected.size());
  size_t offset = 0;
  const DeflateCompressor::ReadFunction read = [&](uint8_t* buffer, uint32_t count) -> uint32_t {
    const size_t n = std::min<size_t>(count, input.size() - offset);
    std::copy_n(input.begin() + static_cast<long>(offset), n, buffer);
    offset += n;
    return static_cast<uint32_t>(n);
  };
  const DeflateCompressor::OutputFunction output = [&](const uint8_t* bytes, uint32_t count) {
    if (stream.size() + count <= stream.capacity()) stream.insert(stream.end(), bytes, bytes + count);
  };
  std::string error;
  error.reserve(256);
  constexpr long kMaxAllocationsPerRun = 1000;
  long failAt = 0;
  for (; failAt < kMaxAllocationsPerRun; ++failAt) {
    // A fresh compressor per run, so that its workers are made in the run;
    // its own state comes before the failures.
    DeflateCompressor workers(2);
    stream.clear();
    offset = 0;
    uint16_t flags = 0;
    g_allocationFailed = false;
    g_allocationsBeforeFailure = failAt;
    workers.Compress(DeflateCompressor::kZipLevel, read, output, flags, error);
    g_allocationsBeforeFailure = -1;
    SCOPED_TRACE("allocation " + std::to_string(failAt) + " failed");
    EXPECT_EQ(error, "");
    EXPECT_TRUE(stream == expected);
    if (!g_allocationFailed) break;
  }
  EXPECT_GT(failAt, 0);
  EXPECT_LT(failAt, kMaxAllocationsPerRun);
}

}  // namespace
