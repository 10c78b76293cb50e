// The on-disk queue of the records on their way to the broker: each logged
// record is appended here first and removed only once the broker has it
// (and the resend window has passed), so a broker that is away, a network
// that is down or a logger that is killed loses none of them. Bounded by
// size and age: past a limit the oldest go first, counted.
//
// A folder of segment files "<16 digits>.seg", appended to in order; each
// entry is
//
//   u32 payload length | u32 CRC-32 of the payload | i64 time (ms since the
//   epoch, when appended) | payload
//
// in the machine's byte order. "head" holds "<segment> <offset>", the first
// entry kept; "lock" is locked while a spool object has the folder open, so
// two loggers never share one spool. An entry cut short by a kill is cut
// off when the spool is opened again.
#pragma once

#include <compare>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

struct SpoolPosition {
  uint64_t segment = 0;
  uint64_t offset = 0;
  auto operator<=>(const SpoolPosition&) const = default;
};

struct SpoolEntry {
  int64_t timeMs = 0;
  std::string payload;
  SpoolPosition next;  // where the entry after it starts
};

struct SpoolLimits {
  uint64_t maxBytes = 0;  // what the entries may take on disk
  int64_t maxAgeMs = 0;   // how long an entry may wait
};

// One thread at a time.
class RecordSpool {
 public:
  RecordSpool() = default;
  ~RecordSpool() { Close(); }
  RecordSpool(const RecordSpool&) = delete;
  RecordSpool& operator=(const RecordSpool&) = delete;

  // Opens the spool in folder (made when missing, with its parents) and
  // takes its lock. False with Problem() set when the folder cannot be made
  // or read, or another program holds it.
  bool Open(const std::string& folder, const SpoolLimits& limits);
  void Close();
  bool IsOpen() const { return m_lockFd >= 0; }
  // Why Open or Append failed: "<folder>: <reason>".
  const std::string& Problem() const { return m_problem; }

  // Appends an entry, then drops the oldest entries while the spool is over
  // its size limit (never the one just written). False, with Problem() set,
  // when the disk refuses it; nothing of it is then kept.
  bool Append(int64_t timeMs, std::string_view payload);

  // The first entry kept, and the end after the last one.
  SpoolPosition Head() const { return m_head; }
  SpoolPosition End() const;
  bool Empty() const { return Head() == End(); }
  uint64_t Bytes() const;

  // The entry at position (Head() or an entry's next); nullopt at End(). An
  // entry that cannot be read (a damaged file) is passed over with the rest
  // of its segment, and counted as dropped.
  std::optional<SpoolEntry> Read(SpoolPosition position);

  // Forgets the entries before position.
  void DropBefore(SpoolPosition position);
  // Drops the oldest entries that have waited longer than the age limit.
  void DropExpired(int64_t nowMs);

  // The entries dropped for the limits (or damage) since the last call.
  uint64_t TakeDroppedCount();

 private:
  struct Segment {
    uint64_t number = 0;
    uint64_t sizeBytes = 0;
  };

  std::string SegmentPath(uint64_t number) const;
  bool OpenAppendSegment(uint64_t number);
  bool ReadHeader(uint64_t segment, uint64_t offset, uint32_t& length, uint32_t& crc, int64_t& timeMs);
  int ReadFd(uint64_t segment);
  void CutTornTail();
  void DropFirstSegment();
  void SaveHead();
  void SetProblem(const std::string& what, int error);

  std::string m_folder;
  SpoolLimits m_limits;
  uint64_t m_segmentBytes = 0;
  std::deque<Segment> m_segments;
  SpoolPosition m_head;
  int m_lockFd = -1;
  int m_headFd = -1;
  int m_appendFd = -1;
  int m_readFd = -1;
  uint64_t m_readSegment = 0;
  uint64_t m_dropped = 0;
  std::string m_problem;
};
