// --min-free: keeps a long run from filling the disk of its log. When the
// free space falls below the limit, the oldest archives of this log go
// first, then the raw capture stops; the log itself (today's file) is never
// removed, and logging goes on for as long as there is room. One warning
// says what was done, once for each time the free space falls below the
// limit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class DiskGuard {
 public:
  // Measures the free bytes on the disk holding a path (FreeBytesAt).
  using FreeSpaceProbe = std::function<std::optional<uint64_t>(const std::string& path)>;

  // minFreeMB 0 turns the guard off. probe defaults to the system's.
  explicit DiskGuard(uint64_t minFreeMB, FreeSpaceProbe probe = {});

  struct Outcome {
    std::vector<std::string> removedArchives;  // paths, oldest first
    // The caller stops the raw capture now (said once per run).
    bool stopRawCapture = false;
    // What the user is told; empty when the warning of this shortage was
    // already given, or nothing was short.
    std::string warning;
  };

  // Looks at the free space on the disk of the log at logPath and acts on a
  // shortage. rawCapturePath is the raw capture in use, empty when none (or
  // it was stopped already). Calls from one thread at a time; each takes a
  // directory listing at most, unless the disk is short.
  Outcome Check(const std::string& logPath, const std::string& rawCapturePath);

  // What the guard did during the run, for the note at its end: empty when
  // it never had to act.
  std::string Summary(const std::string& logPath) const;

 private:
  uint64_t m_minFreeBytes;
  FreeSpaceProbe m_probe;
  // The shortage has been told; cleared once a check finds enough room.
  bool m_warned = false;
  bool m_rawCaptureStopped = false;
  uint64_t m_archivesRemoved = 0;
};
