// When a file a run appends to (the log, the raw capture) is flushed to the
// disk (SyncFileData): once a second while lines keep coming, so a power
// cut loses at most about the last second, and never more often, so the
// flushes cost little however fast lines come (bench/log_sync_bench.cpp).
#pragma once

#include <cstdint>
#include <optional>

// Times are milliseconds of a steady clock: a wall clock set back or run
// fast for a test must neither hold a flush back nor hurry it.
class SyncPacer {
 public:
  // Longest time written bytes wait for their flush.
  static constexpr int64_t kMaxUnsyncedMs = 1000;

  // Bytes were written at nowMs.
  void Wrote(int64_t nowMs) {
    if (!m_firstUnsyncedMs) m_firstUnsyncedMs = nowMs;
  }
  // Whether the file must be flushed now.
  bool Due(int64_t nowMs) const { return m_firstUnsyncedMs && nowMs - *m_firstUnsyncedMs >= kMaxUnsyncedMs; }
  // When the file must be flushed (the writer sleeps until then at most);
  // nothing while all is flushed.
  std::optional<int64_t> DueAtMs() const {
    if (!m_firstUnsyncedMs) return std::nullopt;
    return *m_firstUnsyncedMs + kMaxUnsyncedMs;
  }
  // The file was flushed: everything written before is on the disk.
  void Synced() { m_firstUnsyncedMs.reset(); }

 private:
  // When the oldest byte not yet flushed was written.
  std::optional<int64_t> m_firstUnsyncedMs;
};
