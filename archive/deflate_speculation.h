// Speculative lazy evaluation of input segments on worker threads, whose
// symbols the compressor's thread stitches into the one stream a single
// thread would write.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/deflate_compressor.h"
#include "archive/deflate_constants.h"
#include "archive/deflate_error.h"
#include "archive/deflate_input_ring.h"

namespace plenx::deflate {

struct DeflateState;

// Input is split into segments of this many bytes. A worker evaluates a
// segment as if the compressor arrived at its first byte with no match
// carried and nothing pending: a guess, which the compressor's own
// evaluation (the truth) usually meets within a few matches.
inline constexpr uint64_t kSegmentBytes = uint64_t{1} << 19;
// A segment's evaluation goes on this far past the segment, where the
// evaluation of the next segment starts from its own guess: the stitching
// moves from one to the other where both reached the same state, without
// evaluating anything itself.
inline constexpr uint64_t kSegmentExtensionBytes = 4096;
// Input an evaluation may need past its extension: it ends at the first
// position from there on where no match is carried (at most a few hundred
// bytes on), plus the lookahead of the searches there.
inline constexpr uint64_t kSegmentOverrunBytes = 1024;
// Once the input has ended, a worker also takes the last segment, up to
// the overrun before the end, when it holds this much; the compressor
// evaluates the rest itself.
inline constexpr uint64_t kMinLastSegmentBytes = 65536;
// Most worker threads a compressor uses, whatever the machine has.
inline constexpr unsigned kMaxSearchWorkers = 8;

// The symbols of one segment's evaluation and the positions where it
// carried no match.
class SpeculatedSegment {
 public:
  // Empties the segment for an evaluation from segment * kSegmentBytes on
  // that stops at the first position from stop on where no match is carried.
  void Begin(uint64_t segment, uint64_t stop);
  // Notes that the evaluation reached position carrying no match; true once
  // it is at or past the end of its extension, where it stops. False and
  // marked unusable when the position lies beyond what a segment records
  // (it never should).
  bool Reached(uint64_t position, bool literalPending) {
    const uint64_t index = position - m_start;
    if (index >= kReachBits) return Unreachable();
    m_reached[literalPending][index / 64] |= uint64_t{1} << (index % 64);
    if (position < m_start + kSegmentBytes) return false;
    if (m_ownEnd == UINT64_MAX) {
      m_ownEnd = position;
      m_ownEndPending = literalPending;
    }
    return position >= m_stop;
  }
  // A match from input position start on; the bytes since the last symbol
  // are literals.
  void AddMatch(uint64_t start, unsigned distance, unsigned lengthMinus3);
  // Ends the evaluation at position, where it stopped.
  void Finish(uint64_t position, bool literalPending, const DeflateError& error);
  void MarkUnusable() { m_usable = false; }

  // True when the evaluation reached position carrying no match, with the
  // same pending literal: from there on it codes what the compressor would.
  bool Meets(uint64_t position, bool literalPending) const {
    if (!m_usable || position < m_start || position > m_end) return false;
    const uint64_t index = position - m_start;
    return (m_reached[literalPending][index / 64] >> (index % 64) & 1) != 0;
  }
  // The first position from `from` on that this evaluation and next both
  // reached in the same state (its pending literal in literalPending), or
  // End() when there is none.
  uint64_t FirstMeeting(const SpeculatedSegment& next, uint64_t from, bool& literalPending) const;
  // The first position at or past the segment's end that the evaluation
  // reached carrying no match; its end when it stopped before (the input's
  // last segment).
  uint64_t OwnEnd() const { return m_ownEnd != UINT64_MAX ? m_ownEnd : m_end; }
  bool OwnEndPending() const { return m_ownEnd != UINT64_MAX ? m_ownEndPending : m_endPending; }
  uint64_t Start() const { return m_start; }
  uint64_t End() const { return m_end; }
  bool EndPending() const { return m_endPending; }
  const DeflateError& Error() const { return m_error; }

  // The symbols in input order, as entries: a run of literals, or a match
  // with the literals before it.
  const std::vector<uint32_t>& Entries() const { return m_entries; }
  static uint32_t Literals(uint32_t entry) {
    return (entry & kLiteralRunMark) != 0 ? entry & ~kLiteralRunMark : entry >> kLiteralsShift;
  }
  static bool IsMatch(uint32_t entry) { return (entry & kLiteralRunMark) == 0; }
  static unsigned Distance(uint32_t entry) { return (entry & kDistanceMask) + 1; }
  static unsigned LengthMinus3(uint32_t entry) { return entry >> kLengthShift & 0xFF; }

 private:
  // An entry is a run of literals (kLiteralRunMark and the count) or a
  // match: distance - 1, length - 3, and the literals before it (up to 255).
  static constexpr uint32_t kLiteralRunMark = 0x80000000u;
  static constexpr unsigned kLengthShift = 15;
  static constexpr unsigned kLiteralsShift = 23;
  static constexpr uint32_t kDistanceMask = (1u << kLengthShift) - 1;
  static constexpr uint32_t kMaxLiteralsInMatch = 255;
  static constexpr uint64_t kReachBits = kSegmentBytes + kSegmentExtensionBytes + kSegmentOverrunBytes;
  // At most one entry per 3 bytes evaluated, and a last literal run.
  static constexpr size_t kMaxEntries = kReachBits / kMinMatch + 1;

  bool Unreachable() {
    m_usable = false;
    return true;
  }

  uint64_t m_start = 0;
  uint64_t m_stop = 0;  // the extension's end, or short of the input's
  uint64_t m_ownEnd = 0;
  bool m_ownEndPending = false;
  uint64_t m_end = 0;  // where the evaluation stopped, no match carried
  bool m_endPending = false;
  bool m_usable = false;
  uint64_t m_symbolEnd = 0;  // input position past the last symbol recorded
  std::vector<uint32_t> m_entries;
  // One bit per position from m_start: reached with no match carried and
  // no literal pending [0], or with one pending [1].
  std::vector<uint64_t> m_reached[2];
  DeflateError m_error;
};

// Runs the worker threads and hands their segments to the compressor. All of
// the compressor's input passes through it: the compressor's window reads
// with ReadForWindow, and the workers take copies of the same bytes further
// on. The public functions are for the compressor's thread only; it alone
// calls the read function.
class SpeculativeSearch {
 public:
  // segmentStarts, when given, is called on a worker thread before each
  // segment's evaluation: a test can hold the workers there.
  explicit SpeculativeSearch(std::function<void(uint64_t segment)> segmentStarts = {});
  ~SpeculativeSearch();  // stops the worker threads
  SpeculativeSearch(const SpeculativeSearch&) = delete;
  SpeculativeSearch& operator=(const SpeculativeSearch&) = delete;

  // Starts an entry whose input comes from read, evaluated with config by
  // `workers` threads (2 to kMaxSearchWorkers), or by as many as
  // workersFor() says (0 or 1: none) when workers is 0. Reads ahead, and
  // uses no worker when the input ends too soon to give one a segment, or
  // when no thread can be started. Throws std::bad_alloc, before reading
  // anything, when the input ring cannot be had.
  void BeginEntry(const LevelConfig& config, const DeflateCompressor::ReadFunction& read, unsigned workers,
                  const std::function<unsigned()>& workersFor = {});
  // The compressor window's read function during the entry: every request is
  // filled in full until the input ends.
  uint32_t ReadForWindow(uint8_t* buffer, uint32_t count);
  // The finished evaluation of the segment holding input position, waiting
  // for it; nullptr when no worker evaluates that segment (near the end of
  // the input, or without workers). The previous segment's stays valid.
  const SpeculatedSegment* SegmentAt(uint64_t position) {
    if (position / kSegmentBytes != m_currentSegment) EnterSegment(position / kSegmentBytes);
    return m_current;
  }
  // Ends the entry; the workers are idle afterwards.
  void EndEntry();
  // Workers that evaluate segments in this entry.
  unsigned ActiveWorkers() const { return m_activeWorkers; }

 private:
  enum class SlotState { kFree, kRunning, kDone };
  struct Slot {
    uint64_t segment = 0;
    SlotState state = SlotState::kFree;
    SpeculatedSegment result;
  };
  struct Worker;

  uint64_t SlotCount() const { return m_activeWorkers + 2; }
  void EnterSegment(uint64_t segment);
  void FillRing(std::unique_lock<std::mutex>& lock, uint64_t target);
  void ReadAhead(std::unique_lock<std::mutex>& lock);
  bool Evaluable(uint64_t segment) const;
  uint64_t SegmentInputEnd(uint64_t segment) const;
  bool NextJob(unsigned worker, uint64_t& segment) const;
  void WorkerLoop(Worker& worker);
  void Evaluate(Worker& worker);
  bool StartWorkers(unsigned count);

  std::function<void(uint64_t segment)> m_segmentStarts;

  // Only the compressor's thread.
  uint64_t m_currentSegment = UINT64_MAX;
  const SpeculatedSegment* m_current = nullptr;
  uint64_t m_windowReadOffset = 0;  // input offset of the window's next read
  unsigned m_activeWorkers = 0;

  // The ring's bytes: filled by the compressor's thread, which alone calls
  // its functions but CopyOut; a worker copies input published below
  // m_inputEnd, at or above the offset a fill keeps (see FillRing).
  std::unique_ptr<InputRing> m_ring;

  // Guarded by m_mutex, as is each worker's and slot's state.
  std::mutex m_mutex;
  std::condition_variable m_workerWake;
  std::condition_variable m_slotDone;
  uint64_t m_inputEnd = 0;  // input in the ring, as published to the workers
  bool m_inputEnded = false;
  LevelConfig m_config{};
  bool m_entryActive = false;
  bool m_stop = false;
  uint64_t m_stitchSegment = 0;   // the segment the compressor is in
  uint64_t m_nextSegment = 0;     // the next segment a worker takes
  uint64_t m_windowReadDone = 0;  // m_windowReadOffset as last published
  std::vector<Slot> m_slots;      // as many as any SlotCount(), of which SlotCount() in use
  std::vector<std::unique_ptr<Worker>> m_workers;
};

}  // namespace plenx::deflate
