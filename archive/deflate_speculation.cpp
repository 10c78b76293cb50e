// The workers' segment evaluation and its hand-over to the compressor.
#include "archive/deflate_speculation.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "archive/deflate_lazy_step.h"
#include "archive/deflate_match_finder.h"
#include "archive/deflate_state.h"
#include "archive/deflate_window.h"

namespace plenx::deflate {
namespace {

// History a segment's evaluation starts with: all a search there can reach.
constexpr uint64_t kHistoryBytes = kWindowHalfBytes;

// Input a segment's evaluation reads, from its history to its overrun.
uint64_t InputStart(uint64_t segment) {
  const uint64_t start = segment * kSegmentBytes;
  return start > kHistoryBytes ? start - kHistoryBytes : 0;
}
uint64_t InputEnd(uint64_t segment) {
  return (segment + 1) * kSegmentBytes + kSegmentExtensionBytes + kSegmentOverrunBytes;
}

// Segment results in flight at most: SlotCount() for the most workers.
constexpr uint64_t kMaxSlots = kMaxSearchWorkers + 2;

// The ring holds the input from the compressor window's next read, or from
// the history of the oldest segment a worker still reads, to the end of the
// segment furthest ahead that a worker may take.
size_t RingBytes(uint64_t slots) { return static_cast<size_t>((slots + 1) * kSegmentBytes); }

}  // namespace

void SpeculatedSegment::Begin(uint64_t segment, uint64_t stop) {
  m_usable = false;
  m_start = segment * kSegmentBytes;
  m_stop = stop;
  m_ownEnd = UINT64_MAX;
  m_end = m_start;
  m_endPending = false;
  m_symbolEnd = m_start;
  m_entries.clear();
  // As many as the densest symbols need, reserved once: pages are only
  // touched as entries fill them, and never copied by a reallocation.
  if (m_entries.capacity() == 0) m_entries.reserve(kMaxEntries);
  for (std::vector<uint64_t>& reached : m_reached) reached.assign(kReachBits / 64, 0);
  m_error = {};
  m_usable = true;
}

void SpeculatedSegment::AddMatch(uint64_t start, unsigned distance, unsigned lengthMinus3) {
  auto literals = static_cast<uint32_t>(start - m_symbolEnd);
  if (literals > kMaxLiteralsInMatch) {
    m_entries.push_back(kLiteralRunMark | literals);
    literals = 0;
  }
  m_entries.push_back(literals << kLiteralsShift | lengthMinus3 << kLengthShift | (distance - 1));
  m_symbolEnd = start + lengthMinus3 + kMinMatch;
}

void SpeculatedSegment::Finish(uint64_t position, bool literalPending, const DeflateError& error) {
  // Bytes up to the position, but for a pending one, are coded as literals.
  const uint64_t coded = position - (literalPending ? 1 : 0);
  if (coded > m_symbolEnd) m_entries.push_back(kLiteralRunMark | static_cast<uint32_t>(coded - m_symbolEnd));
  m_symbolEnd = coded;
  m_end = position;
  m_endPending = literalPending;
  m_error = error;
}

uint64_t SpeculatedSegment::FirstMeeting(const SpeculatedSegment& next, uint64_t from,
                                         bool& literalPending) const {
  // Both bitmaps start at a segment's first byte, a multiple of 64 apart.
  const uint64_t first = std::max(from, next.m_start);
  const uint64_t last = std::min(m_end, next.m_end);
  if (!m_usable || !next.m_usable || first > last) {
    literalPending = m_endPending;
    return m_end;
  }
  const uint64_t shift = (next.m_start - m_start) / 64;
  for (uint64_t word = (first - m_start) / 64; word <= (last - m_start) / 64; ++word) {
    const uint64_t below = word * 64 + m_start < first ? (first - m_start) % 64 : 0;
    const uint64_t notBelow = ~uint64_t{0} << below;
    const uint64_t none = m_reached[0][word] & next.m_reached[0][word - shift] & notBelow;
    const uint64_t pending = m_reached[1][word] & next.m_reached[1][word - shift] & notBelow;
    if ((none | pending) == 0) continue;
    const unsigned bit = static_cast<unsigned>(std::countr_zero(none | pending));
    const uint64_t position = m_start + word * 64 + bit;
    if (position > last) break;
    literalPending = (pending >> bit & 1) != 0;
    return position;
  }
  literalPending = m_endPending;
  return m_end;
}

struct SpeculativeSearch::Worker {
  unsigned index = 0;
  std::unique_ptr<DeflateState> state = std::make_unique<DeflateState>();
  // The segment's input with the history before it, read from the ring,
  // which keeps it while the worker is reading.
  bool reading = false;
  uint64_t inputFrom = 0;
  uint64_t inputEnd = 0;
  uint64_t inputRead = 0;  // input offset of the window's next read
  // The segment, its result, and where its evaluation stops.
  uint64_t segment = 0;
  SpeculatedSegment* result = nullptr;
  uint64_t stop = 0;
  std::thread thread;
};

SpeculativeSearch::SpeculativeSearch(std::function<void(uint64_t segment)> segmentStarts)
    : m_segmentStarts(std::move(segmentStarts)), m_slots(kMaxSlots) {
  // Adding a started worker must not fail.
  m_workers.reserve(kMaxSearchWorkers);
}

SpeculativeSearch::~SpeculativeSearch() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_workerWake.notify_all();
  for (const std::unique_ptr<Worker>& worker : m_workers) {
    if (worker->thread.joinable()) worker->thread.join();
  }
}

bool SpeculativeSearch::StartWorkers(unsigned count) {
  try {
    while (m_workers.size() < count) {
      auto worker = std::make_unique<Worker>();
      worker->index = static_cast<unsigned>(m_workers.size());
      Worker& started = *worker;
      // The thread only touches the worker under the mutex, which the caller holds.
      worker->thread = std::thread([this, &started] { WorkerLoop(started); });
      m_workers.push_back(std::move(worker));
    }
  } catch (const std::bad_alloc&) {
  } catch (const std::system_error&) {
  }
  return m_workers.size() >= 2;
}

void SpeculativeSearch::BeginEntry(const LevelConfig& config, const DeflateCompressor::ReadFunction& read,
                                   unsigned workers, const std::function<unsigned()>& workersFor) {
  if (!m_ring) m_ring = std::make_unique<InputRing>(RingBytes(kMaxSlots));
  std::unique_lock<std::mutex> lock(m_mutex);
  // An entry that ended early (its output threw) may have left work running.
  m_entryActive = false;
  m_slotDone.wait(lock, [this] {
    return std::none_of(m_slots.begin(), m_slots.end(),
                        [](const Slot& slot) { return slot.state == SlotState::kRunning; });
  });
  m_config = config;
  m_activeWorkers = 0;
  m_ring->Begin(read, RingBytes(SlotCount()));
  m_inputEnd = 0;
  m_inputEnded = false;
  m_stitchSegment = 0;
  m_nextSegment = 0;
  m_windowReadDone = 0;
  for (Slot& slot : m_slots) slot.state = SlotState::kFree;
  m_currentSegment = UINT64_MAX;
  m_current = nullptr;
  m_windowReadOffset = 0;
  // Whether a worker would get a segment at all.
  FillRing(lock, InputEnd(0));
  if (m_inputEnd >= InputEnd(0)) {
    if (workers == 0 && workersFor) workers = workersFor();
    workers = std::min(workers, kMaxSearchWorkers);
    if (workers >= 2) {
      if (StartWorkers(workers)) m_activeWorkers = std::min<unsigned>(workers, m_workers.size());
    }
  }
  m_ring->Widen(RingBytes(SlotCount()));
  m_entryActive = true;
  ReadAhead(lock);
  lock.unlock();
  m_workerWake.notify_all();
}

void SpeculativeSearch::EndEntry() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_entryActive = false;
  m_slotDone.wait(lock, [this] {
    return std::none_of(m_slots.begin(), m_slots.end(),
                        [](const Slot& slot) { return slot.state == SlotState::kRunning; });
  });
}

uint32_t SpeculativeSearch::ReadForWindow(uint8_t* buffer, uint32_t count) {
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    FillRing(lock, m_windowReadOffset + count);
  }
  const uint64_t available = m_ring->End() - m_windowReadOffset;
  const uint32_t delivered = static_cast<uint32_t>(std::min<uint64_t>(count, available));
  // Bytes from the window's read offset on stay put until it passes them.
  m_ring->CopyOut(m_windowReadOffset, buffer, delivered);
  m_windowReadOffset += delivered;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_windowReadDone = m_windowReadOffset;
  return delivered;
}

bool SpeculativeSearch::Evaluable(uint64_t segment) const {
  if (m_activeWorkers == 0) return false;
  if (m_inputEnd >= InputEnd(segment)) return true;
  return m_inputEnded && m_inputEnd >= segment * kSegmentBytes + kMinLastSegmentBytes + kSegmentOverrunBytes;
}

uint64_t SpeculativeSearch::SegmentInputEnd(uint64_t segment) const {
  return std::min(InputEnd(segment), m_inputEnd);
}

void SpeculativeSearch::EnterSegment(uint64_t segment) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_stitchSegment = segment;
  m_currentSegment = segment;
  m_current = nullptr;
  ReadAhead(lock);
  m_workerWake.notify_all();
  if (!Evaluable(segment)) {
    // No worker takes it any more: the compressor evaluates it itself.
    m_nextSegment = std::max(m_nextSegment, segment + 1);
    return;
  }
  Slot& slot = m_slots[segment % SlotCount()];
  const auto finished = [&] { return slot.segment == segment && slot.state == SlotState::kDone; };
  m_slotDone.wait(lock, finished);
  m_current = &slot.result;
}

void SpeculativeSearch::FillRing(std::unique_lock<std::mutex>& lock, uint64_t target) {
  if (m_ring->Ended() || m_ring->End() >= target) return;
  // Reading can take a while; meanwhile a worker may take a segment, but
  // only copy input read before and at or above keepFrom, which the ring
  // keeps.
  uint64_t keepFrom = m_windowReadDone;
  if (m_entryActive && (Evaluable(m_nextSegment) || (m_activeWorkers != 0 && !m_inputEnded))) {
    keepFrom = std::min(keepFrom, InputStart(m_nextSegment));
  }
  for (const std::unique_ptr<Worker>& worker : m_workers) {
    if (worker->reading) keepFrom = std::min(keepFrom, worker->inputFrom);
  }
  lock.unlock();
  m_ring->FillTo(target, keepFrom);
  lock.lock();
  m_inputEnd = m_ring->End();
  m_inputEnded = m_ring->Ended();
  m_workerWake.notify_all();
}

void SpeculativeSearch::ReadAhead(std::unique_lock<std::mutex>& lock) {
  if (m_activeWorkers == 0) return;
  // The furthest segment a worker may take, keeping the one before the
  // compressor's, whose extension it may still take symbols from.
  FillRing(lock, InputEnd(m_stitchSegment + SlotCount() - 2));
}

bool SpeculativeSearch::NextJob(unsigned worker, uint64_t& segment) const {
  if (!m_entryActive || worker >= m_activeWorkers) return false;
  segment = m_nextSegment;
  // The compressor keeps the segment before its own.
  if (segment + 2 > m_stitchSegment + SlotCount() || !Evaluable(segment)) return false;
  // The slot's earlier segment is free once the compressor is two segments on.
  const Slot& slot = m_slots[segment % SlotCount()];
  return slot.state == SlotState::kFree ||
         (slot.state == SlotState::kDone && slot.segment + 2 <= m_stitchSegment);
}

void SpeculativeSearch::WorkerLoop(Worker& worker) {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    uint64_t segment = 0;
    m_workerWake.wait(lock, [&] { return m_stop || NextJob(worker.index, segment); });
    if (m_stop) return;
    Slot& slot = m_slots[segment % SlotCount()];
    slot.segment = segment;
    slot.state = SlotState::kRunning;
    m_nextSegment = segment + 1;
    worker.segment = segment;
    worker.result = &slot.result;
    worker.reading = true;
    worker.inputFrom = InputStart(segment);
    worker.inputEnd = SegmentInputEnd(segment);
    // Short of the input's end, so that the evaluation never meets it.
    worker.stop = std::min((segment + 1) * kSegmentBytes + kSegmentExtensionBytes,
                           worker.inputEnd - kSegmentOverrunBytes);
    lock.unlock();
    m_workerWake.notify_all();  // the next segment may be ready for another worker
    if (m_segmentStarts) m_segmentStarts(segment);
    try {
      Evaluate(worker);
    } catch (const std::bad_alloc&) {
      // Without the memory for its symbols the segment is left to the compressor.
      slot.result.MarkUnusable();
    }
    lock.lock();
    worker.reading = false;
    slot.state = SlotState::kDone;
    m_slotDone.notify_all();
  }
}

namespace {

// Records a worker's symbols and the positions it reached with no match
// carried; a segment never cuts blocks. Stops at the first such position
// past the extension.
struct SegmentSink {
  const DeflateState& s;
  SpeculatedSegment& segment;
  bool NoMatchCarried(unsigned windowPosition, bool literalPending) {
    return segment.Reached(s.windowStart + windowPosition, literalPending);
  }
  // Literals are the bytes between matches: nothing to record.
  bool Literal(uint8_t) { return false; }
  bool Match(unsigned distance, unsigned lengthMinus3) {
    // The step is one past the match's first byte.
    segment.AddMatch(s.windowStart + s.position - 1, distance, lengthMinus3);
    return false;
  }
  void Cut() {}
};

}  // namespace

// Evaluates the segment as the compressor would had it arrived at its start
// with no match carried and nothing pending: a window whose upper half
// begins at the segment (or the input's start), chains holding the half
// window before it (all the searches there can reach), then lazy steps to
// the first position past the stop that carries no match.
void SpeculativeSearch::Evaluate(Worker& worker) {
  DeflateState& s = *worker.state;
  SpeculatedSegment& result = *worker.result;
  const uint64_t start = worker.segment * kSegmentBytes;
  const uint64_t history = start - worker.inputFrom;
  result.Begin(worker.segment, worker.stop);

  s.error = {};
  s.config = m_config;
  s.windowStart = worker.inputFrom;
  m_ring->CopyOut(worker.inputFrom, s.window, kWindowBytes);
  worker.inputRead = worker.inputFrom + kWindowBytes;
  s.position = static_cast<unsigned>(history);
  s.lookahead = static_cast<unsigned>(kWindowBytes - history);
  s.endOfInput = false;
  s.blockStart = 0;
  s.matchStart = 0;
  s.prevMatch = 0;
  s.prevLength = kMinMatch - 1;
  ResetChains(s);

  const DeflateCompressor::ReadFunction read = [this, &worker](uint8_t* buffer, uint32_t count) -> uint32_t {
    const auto delivered =
        static_cast<uint32_t>(std::min<uint64_t>(count, worker.inputEnd - worker.inputRead));
    m_ring->CopyOut(worker.inputRead, buffer, delivered);
    worker.inputRead += delivered;
    return delivered;
  };
  LazyParse parse;
  SegmentSink sink{s, result};
  for (;;) {
    if (LazySteps(s, parse, sink)) break;
    KeepLookahead(s, read);
    if (s.endOfInput) {
      // The overrun is too short (it never should be): unusable.
      result.MarkUnusable();
      return;
    }
  }
  result.Finish(s.windowStart + s.position, parse.literalPending, s.error);
}

}  // namespace plenx::deflate
