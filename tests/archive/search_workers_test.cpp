// The compressor's worker count: one per usable CPU that other threads
// leave free, counting only the share of their load that falls on the CPUs
// this process may use, none below two, at most kMaxSearchWorkers.
#include "archive/search_workers.h"

#include <gtest/gtest.h>

#include "archive/deflate_speculation.h"

namespace {

TEST(SearchWorkers, FreeUsableCpusDecide) {
  struct Case {
    const char* what;
    CpuCapacity capacity;  // usable, online, runnable (this thread included)
    unsigned workers;
  };
  const Case cases[] = {
      {"OneCpu", {1, 1, 1}, 1},
      {"TwoIdleCpus", {2, 2, 1}, 2},
      {"TwoCpusOneBusyElsewhere", {2, 2, 2}, 1},
      {"TwoCpusBothBusyElsewhere", {2, 2, 5}, 1},
      {"LoadUnknown", {2, 2, 0}, 2},
      {"EightCpusTwoBusy", {8, 8, 3}, 6},
      {"ManyIdleCpus", {64, 64, 1}, plenx::deflate::kMaxSearchWorkers},
      // Pinned to 4 of 16 CPUs: 8 busy threads elsewhere leave 2 of ours busy.
      {"PinnedToAQuarterHalfBusy", {4, 16, 9}, 2},
      {"PinnedToAQuarterThreeQuartersBusy", {4, 16, 13}, 1},
      {"TwoOfManyCpusMachineBusy", {2, 16, 17}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(SearchWorkersFor(c.capacity), c.workers) << c.what;
}

}  // namespace
