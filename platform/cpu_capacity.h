// The CPUs this process may run on and how busy the machine is, for work
// that can spread over several threads (the archive's compressor).
#pragma once

// What the system says right now; figures it cannot tell are left at their
// defaults, which mean one CPU and nothing known about the load.
struct CpuCapacity {
  // CPUs this process may run on: its affinity mask, cut to the CPU quota
  // of its control group. At least 1.
  unsigned usableCpus = 1;
  // CPUs the system runs. At least usableCpus.
  unsigned onlineCpus = 1;
  // Threads ready to run at this moment on the whole system, the calling
  // one included; 0 when unknown.
  unsigned runnableThreads = 0;
};

// Reads the figures (a few small system files; well under a millisecond).
// Any thread.
CpuCapacity ReadCpuCapacity();
