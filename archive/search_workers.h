// How many worker threads the compressor's match search should use.
#pragma once

#include "platform/cpu_capacity.h"

// The workers for an entry that gives them work: one per CPU this process
// may use that other threads are not using at this moment, at most
// kMaxSearchWorkers; 1 (the calling thread alone) when fewer than two are
// free. The calling thread counts as idle: it only stitches the workers'
// results while they run.
unsigned SearchWorkersFor(const CpuCapacity& capacity);
