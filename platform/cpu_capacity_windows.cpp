// ReadCpuCapacity on Windows: the process's affinity mask within its
// processor group, and the processors the system runs. Windows keeps no
// count of the threads ready to run that a program could read cheaply, so
// that is left unknown.
#include "platform/cpu_capacity.h"

#include <windows.h>

#include <algorithm>
#include <bit>

CpuCapacity ReadCpuCapacity() {
  CpuCapacity capacity;
  const DWORD online = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  if (online > 0) capacity.onlineCpus = online;
  DWORD_PTR processMask = 0;
  DWORD_PTR systemMask = 0;
  if (GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask) && processMask != 0) {
    capacity.usableCpus = static_cast<unsigned>(std::popcount(static_cast<unsigned long long>(processMask)));
  } else {
    capacity.usableCpus = capacity.onlineCpus;
  }
  capacity.onlineCpus = std::max(capacity.onlineCpus, capacity.usableCpus);
  return capacity;
}
