// ReadCpuCapacity on Linux: the texts it reads parsed in every form the
// kernel writes, the affinity mask cutting the usable CPUs, and threads
// that keep a CPU busy counted as runnable.
#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/cpu_capacity.h"
#include "platform/cpu_capacity_linux.h"

namespace {

TEST(CpuCapacityText, QuotaPathAndRunnableCountReadAsTheKernelWritesThem) {
  struct QuotaCase {
    const char* cpuMax;
    unsigned cpus;
  };
  const QuotaCase quotas[] = {
      {"max 100000\n", 0},   {"200000 100000\n", 2}, {"150000 100000\n", 2},
      {"50000 100000\n", 1}, {"100000 0\n", 0},      {"", 0},
      {"quota period\n", 0},
  };
  for (const QuotaCase& c : quotas) EXPECT_EQ(CpusOfCpuMax(c.cpuMax), c.cpus) << c.cpuMax;

  EXPECT_EQ(UnifiedCgroupPath("0::/user.slice/user-1000.slice/session-2.scope\n"),
            "/user.slice/user-1000.slice/session-2.scope");
  // A hybrid system lists the version 1 hierarchies first.
  EXPECT_EQ(UnifiedCgroupPath("12:cpu,cpuacct:/x\n1:name=systemd:/y\n0::/z\n"), "/z");
  EXPECT_EQ(UnifiedCgroupPath("12:cpu,cpuacct:/x\n"), "");

  EXPECT_EQ(RunnableOfLoadavg("0.20 0.18 0.12 3/1190 5432\n"), 3u);
  EXPECT_EQ(RunnableOfLoadavg("12.50 9.01 7.77 11/2003 99\n"), 11u);
  EXPECT_EQ(RunnableOfLoadavg("0.20 0.18 0.12\n"), 0u);
  EXPECT_EQ(RunnableOfLoadavg("0.20 0.18 0.12 x/1190 5432\n"), 0u);
}

TEST(CpuCapacity, TheAffinityMaskLimitsTheUsableCpus) {
  const CpuCapacity all = ReadCpuCapacity();
  EXPECT_GE(all.usableCpus, 1u);
  EXPECT_LE(all.usableCpus, all.onlineCpus);

  cpu_set_t original;
  ASSERT_EQ(sched_getaffinity(0, sizeof original, &original), 0);
  int first = 0;
  while (!CPU_ISSET(first, &original)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  const CpuCapacity pinned = ReadCpuCapacity();
  ASSERT_EQ(sched_setaffinity(0, sizeof original, &original), 0);
  EXPECT_EQ(pinned.usableCpus, 1u);
  EXPECT_EQ(pinned.onlineCpus, all.onlineCpus);
}

TEST(CpuCapacity, BusyThreadsAreCountedAsRunnable) {
  constexpr unsigned kBusyThreads = 2;
  std::atomic<unsigned> spinning = 0;
  std::atomic<bool> stop = false;
  std::vector<std::thread> busy;
  for (unsigned n = 0; n < kBusyThreads; ++n) {
    busy.emplace_back([&] {
      ++spinning;
      while (!stop.load(std::memory_order_relaxed)) {
      }
    });
  }
  while (spinning.load() < kBusyThreads) std::this_thread::yield();
  const CpuCapacity capacity = ReadCpuCapacity();
  stop = true;
  for (std::thread& thread : busy) thread.join();
  // The spinning threads and this one, whatever else runs.
  EXPECT_GE(capacity.runnableThreads, kBusyThreads + 1);
}

}  // namespace
