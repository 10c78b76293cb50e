// ReadCpuCapacity on Windows: the affinity mask cuts the usable CPUs, and
// the figures keep their order.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/cpu_capacity.h"

namespace {

TEST(CpuCapacityTest, AffinityMaskCutsTheUsableCpus) {
  const CpuCapacity all = ReadCpuCapacity();
  EXPECT_GE(all.usableCpus, 1u);
  EXPECT_GE(all.onlineCpus, all.usableCpus);

  DWORD_PTR processMask = 0;
  DWORD_PTR systemMask = 0;
  ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask));
  // The lowest CPU the process may run on, alone.
  const DWORD_PTR one = processMask & (~processMask + 1);
  ASSERT_TRUE(SetProcessAffinityMask(GetCurrentProcess(), one));
  const CpuCapacity cut = ReadCpuCapacity();
  SetProcessAffinityMask(GetCurrentProcess(), processMask);
  EXPECT_EQ(cut.usableCpus, 1u);
  EXPECT_EQ(cut.onlineCpus, all.onlineCpus);
}

}  // namespace
