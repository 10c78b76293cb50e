// The compressor's worker count from the CPUs and their load.
#include "archive/search_workers.h"

#include <algorithm>

#include "archive/deflate_speculation.h"

unsigned SearchWorkersFor(const CpuCapacity& capacity) {
  const unsigned usable = std::max(capacity.usableCpus, 1u);
  const unsigned online = std::max(capacity.onlineCpus, usable);
  // The others' runnable threads, spread evenly over the online CPUs; the
  // share that falls on the CPUs this process may use keeps them busy.
  const unsigned others = capacity.runnableThreads > 1 ? capacity.runnableThreads - 1 : 0;
  const unsigned busy = (others * usable + online / 2) / online;
  const unsigned free = usable > busy ? usable - busy : 0;
  if (free < 2) return 1;
  return std::min(free, plenx::deflate::kMaxSearchWorkers);
}
