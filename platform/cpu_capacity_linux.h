// The texts the Linux side of ReadCpuCapacity reads, parsed apart from the
// reading so that every form the kernel writes can be tested.
#pragma once

#include <string_view>

// CPUs a control group's cpu.max allows ("max 100000" or "QUOTA PERIOD",
// both in microseconds), rounded up; 0 for no limit or a text it does not
// read.
unsigned CpusOfCpuMax(std::string_view cpuMax);

// The control group path of cgroup v2 in /proc/self/cgroup ("0::/a/b" gives
// "/a/b"); empty when there is none.
std::string_view UnifiedCgroupPath(std::string_view procSelfCgroup);

// The currently runnable threads in /proc/loadavg ("0.20 0.18 0.12 3/1190
// 5432" gives 3); 0 for a text it does not read.
unsigned RunnableOfLoadavg(std::string_view loadavg);
