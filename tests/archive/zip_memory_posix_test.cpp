// The ZIP writer when memory runs out: each allocation of a whole archive
// run is made to fail in turn; every run must end in a documented result,
// leave a sound archive or none, and leak nothing (LeakSanitizer checks the
// last part in the sanitizer build).
//
// This file replaces the global allocation functions of the archive test
// program. Unarmed they are plain malloc and free, so the other tests of the
// program see no difference.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>

#include "archive/zip_writer.h"
#include "zip_test_support.h"

namespace {

// Allocations still allowed before one fails; negative when unarmed.
long g_allocationsBeforeFailure = -1;
bool g_allocationFailed = false;

void* Allocate(std::size_t sizeBytes) noexcept {
  if (g_allocationsBeforeFailure == 0) {
    g_allocationFailed = true;
    return nullptr;
  }
  if (g_allocationsBeforeFailure > 0) --g_allocationsBeforeFailure;
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

}  // namespace
