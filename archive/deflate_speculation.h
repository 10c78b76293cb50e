// The lazy match evaluation of input segments ahead of the compressor, done
// on a second thread, whose symbols the compressor takes over once its own
// evaluation meets the speculative one.
#pragma once

#include <atomic>
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

// Input is split into segments of this many bytes; the helper evaluates one
// at a time, starting at its first byte with no match carried and nothing
// pending (a guess: the compressor's own evaluation may arrive there in
// another state, and then usually meets this one within a few matches).
inline constexpr uint64_t kSegmentBytes = uint64_t{1} << 18;
// Input a segment's evaluation may need past the segment: it ends at the
// first position from the segment's end on where no match is carried (at
// most a few hundred bytes on), plus the lookahead of the searches there.
inline constexpr uint64_t kSegmentOverrunBytes = 1024;
// The helper works at most this many segments ahead of the compressor's,
// and never on the next one, which the compressor would reach too soon.
inline constexpr uint64_t kMaxLeadSegments = 3;
inline constexpr uint64_t kMinLeadSegments = 2;
// The compressor, arriving at a segment the helper is still on, waits for
// it once the helper is this far through (in 1/16 of the segment);
// otherwise it evaluates the segment itself and the helper drops it. So a
// helper slowed down (by other programs on its core) never holds it up long.
inline constexpr uint64_t kWaitFromSixteenths = 8;

// The symbols of one segment's speculative evaluation.
class SpeculatedSegment {
 public:
  // A coded symbol: a literal byte, or a match's length - 3 and distance.
  static uint32_t Literal(uint8_t byte) { return byte; }
  static uint32_t Match(unsigned distance, unsigned lengthMinus3) {
    return kMatchMark | distance << 8 | lengthMinus3;
  }
  static bool IsMatch(uint32_t symbol) { return (symbol & kMatchMark) != 0; }
  static uint8_t LiteralByte(uint32_t symbol) { return static_cast<uint8_t>(symbol); }
  static unsigned LengthMinus3(uint32_t symbol) { return symbol & 0xFF; }
  static unsigned Distance(uint32_t symbol) { return (symbol & ~kMatchMark) >> 8; }
  // Input bytes the symbol codes.
  static unsigned Bytes(uint32_t symbol) { return IsMatch(symbol) ? LengthMinus3(symbol) + kMinMatch : 1; }

  // Empties the segment for an evaluation from start on.
  void Begin(uint64_t start);
  // Notes that the evaluation reached position carrying no match. False when
  // the position lies beyond what a segment can record (it never should).
  bool Reached(uint64_t position, bool literalPending);
  void Add(uint32_t symbol) { m_symbols.push_back(symbol); }
  void Finish(uint64_t end, bool literalPending, const DeflateError& error);

  // True when the evaluation reached position carrying no match, with the
  // same pending literal: from there on it codes what the compressor would.
  bool Meets(uint64_t position, bool literalPending) const {
    if (position < m_start || position > m_end) return false;
    const uint64_t index = position - m_start;
    return (m_reached[literalPending][index / 64] >> (index % 64) & 1) != 0;
  }

  uint64_t Start() const { return m_start; }
  uint64_t End() const { return m_end; }
  bool EndPending() const { return m_endPending; }
  const std::vector<uint32_t>& Symbols() const { return m_symbols; }
  const DeflateError& Error() const { return m_error; }

 private:
  static constexpr uint32_t kMatchMark = 0x80000000u;
  static constexpr uint64_t kReachBits = kSegmentBytes + kSegmentOverrunBytes;

  uint64_t m_start = 0;
  uint64_t m_end = 0;  // where the evaluation stopped, no match carried
  bool m_endPending = false;
  std::vector<uint32_t> m_symbols;
  // One bit per position from m_start: reached with no match carried and
  // no literal pending [0], or with one pending [1].
  std::vector<uint64_t> m_reached[2];
  DeflateError m_error;
};

// Runs the helper thread and hands its segments to the compressor. All of
// the compressor's input passes through it: the compressor's window reads
// with ReadForWindow, and the helper reads the same bytes further on.
// The public functions are for the compressor's thread only.
class SpeculativeSearch {
 public:
  // segmentStarts, when given, is called on the helper thread before each
  // segment's evaluation: a test can hold the helper there.
  explicit SpeculativeSearch(std::function<void(uint64_t segment)> segmentStarts = {});
  ~SpeculativeSearch();  // stops the helper thread
  SpeculativeSearch(const SpeculativeSearch&) = delete;
  SpeculativeSearch& operator=(const SpeculativeSearch&) = delete;

  // Starts an entry whose input comes from read, evaluated with config.
  // Reads ahead; starts the helper unless the input ended already.
  void BeginEntry(const LevelConfig& config, const DeflateCompressor::ReadFunction& read);
  // The compressor window's read function during the entry: every request is
  // filled in full until the input ends.
  uint32_t ReadForWindow(uint8_t* buffer, uint32_t count);
  // The finished segment covering input position, or nullptr when the
  // helper did not evaluate it. Waits while the helper still works on it.
  const SpeculatedSegment* SegmentAt(uint64_t position) {
    if (position / kSegmentBytes != m_currentSegment) EnterSegment(position / kSegmentBytes);
    return m_current;
  }
  // Ends the entry; the helper is idle afterwards.
  void EndEntry();

 private:
  enum class SlotState { kFree, kRunning, kDone };
  struct Slot {
    uint64_t segment = 0;
    SlotState state = SlotState::kFree;
    SpeculatedSegment result;
  };

  void EnterSegment(uint64_t segment);
  void FillRing(std::unique_lock<std::mutex>& lock, uint64_t target);
  void ReadAhead(std::unique_lock<std::mutex>& lock);
  bool NextJob(uint64_t& segment) const;
  void HelperLoop();
  bool Evaluate(uint64_t segment, SpeculatedSegment& result);

  // Only the helper thread, while it evaluates a segment: its state, and the
  // segment's input with the half window before it, copied out of the ring
  // when the segment starts, so that the ring never waits for the helper.
  std::function<void(uint64_t segment)> m_segmentStarts;
  std::unique_ptr<DeflateState> m_helperState;
  std::vector<uint8_t> m_helperInput;
  size_t m_helperInputRead = 0;  // bytes of m_helperInput in the window so far

  // Written by the helper, read by the compressor: the input position the
  // running evaluation has reached; and the compressor's request to drop it.
  std::atomic<uint64_t> m_helperPosition{0};
  std::atomic<bool> m_dropRunning{false};

  // Only the compressor's thread.
  uint64_t m_currentSegment = UINT64_MAX;
  const SpeculatedSegment* m_current = nullptr;
  uint64_t m_windowReadOffset = 0;  // input offset of the window's next read

  // The ring's bytes: filled by the compressor's thread, which alone calls
  // its functions but CopyOut; the helper copies input published below
  // (m_inputEnd) and not yet read by the window (m_windowReadDone), which
  // the ring does not overwrite.
  InputRing m_ring;

  // Guarded by m_mutex.
  std::mutex m_mutex;
  std::condition_variable m_helperWake;
  std::condition_variable m_slotDone;
  uint64_t m_inputEnd = 0;  // input in the ring, as published to the helper
  bool m_inputEnded = false;
  LevelConfig m_config{};
  bool m_entryActive = false;
  bool m_stop = false;
  uint64_t m_mainSegment = 0;
  uint64_t m_nextHelperSegment = 0;
  uint64_t m_windowReadDone = 0;  // m_windowReadOffset as last published
  Slot m_slots[kMaxLeadSegments + 1];
  std::thread m_helper;
};

}  // namespace plenx::deflate
