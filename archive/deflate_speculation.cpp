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

// Segment results in flight at most: SlotCount() for any number of workers,
// whose runs together hold the larger of kSegmentsInRunsOfAllWorkers and
// the workers.
constexpr uint64_t kMaxSlots = std::max(kSegmentsInRunsOfAllWorkers, kMaxSearchWorkers) + 2;

// The ring holds the input from the compressor window's next read, or from
// the history of the oldest run a worker still reads (which may have begun
// a run before the compressor's segment), to the end of the segment
// furthest ahead that a worker may take.
size_t RingBytes(uint64_t slots, unsigned runSegments) {
  return static_cast<size_t>((slots + runSegments + 1) * kSegmentBytes);
}

}  // namespace

void SpeculatedSegment::Begin(uint64_t segment, uint64_t stop, uint64_t symbolsStart) {
  m_usable = false;
  m_start = segment * kSegmentBytes;
  m_symbolsStart = symbolsStart;
  m_stop = stop;
  m_ownEnd = UINT64_MAX;
  m_end = m_start;
  m_endPending = false;
  m_symbolEnd = symbolsStart;
  m_entries.clear();
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
  // The run's input with the history before it, read from the ring, which
  // keeps it while the run lasts; reading means the run lasts.
  bool reading = false;
  uint64_t inputFrom = 0;
  uint64_t inputEnd = 0;
  uint64_t inputRead = 0;  // input offset of the window's next read
  // The run: its first segment, the results of its segments and how many
  // of them are published, and where the last one's evaluation stops.
  uint64_t first = 0;
  unsigned count = 0;
  SpeculatedSegment* results[kSegmentsInRunsOfAllWorkers] = {};
  unsigned published = 0;
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
  // The most any number of workers has in flight.
  if (!m_ring) m_ring = std::make_unique<InputRing>(RingBytes(kMaxSlots, kSegmentsInRunsOfAllWorkers / 2));
  std::unique_lock<std::mutex> lock(m_mutex);
  // An entry that ended early (its output threw) may have left work running.
  m_entryActive = false;
  m_slotDone.wait(lock, [this] {
    return std::none_of(m_slots.begin(), m_slots.end(),
                        [](const Slot& slot) { return slot.state == SlotState::kRunning; });
  });
  m_config = config;
  m_activeWorkers = 0;
  m_ring->Begin(read, RingBytes(SlotCount(), RunSegments()));
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
  m_ring->Widen(RingBytes(SlotCount(), RunSegments()));
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

bool SpeculativeSearch::NextJob(unsigned worker, uint64_t& first, unsigned& count) const {
  if (!m_entryActive || worker >= m_activeWorkers) return false;
  first = m_nextSegment;
  if (!Evaluable(first)) return false;
  count = m_inputEnded ? 1 : RunSegments();
  const uint64_t last = first + count - 1;
  // The compressor keeps the segment before its own.
  if (last + 2 > m_stitchSegment + SlotCount() || !Evaluable(last)) return false;
  for (uint64_t segment = first; segment <= last; ++segment) {
    // A slot's earlier segment is free once the compressor is two segments on.
    const Slot& slot = m_slots[segment % SlotCount()];
    if (slot.state == SlotState::kRunning ||
        (slot.state == SlotState::kDone && slot.segment + 2 > m_stitchSegment))
      return false;
  }
  return true;
}

void SpeculativeSearch::WorkerLoop(Worker& worker) {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    uint64_t first = 0;
    unsigned count = 0;
    m_workerWake.wait(lock, [&] { return m_stop || NextJob(worker.index, first, count); });
    if (m_stop) return;
    worker.first = first;
    worker.count = count;
    worker.published = 0;
    for (unsigned n = 0; n < count; ++n) {
      Slot& slot = m_slots[(first + n) % SlotCount()];
      slot.segment = first + n;
      slot.state = SlotState::kRunning;
      slot.result.MarkUnusable();  // until its evaluation finishes
      worker.results[n] = &slot.result;
    }
    m_nextSegment = first + count;
    const uint64_t last = first + count - 1;
    worker.reading = true;
    worker.inputFrom = InputStart(first);
    worker.inputEnd = SegmentInputEnd(last);
    // Short of the input's end, so that the evaluation never meets it.
    worker.stop = std::min((last + 1) * kSegmentBytes + kSegmentExtensionBytes,
                           SegmentInputEnd(last) - kSegmentOverrunBytes);
    lock.unlock();
    m_workerWake.notify_all();  // the next run may be ready for another worker
    if (m_segmentStarts) m_segmentStarts(first);
    try {
      EvaluateRun(worker);
    } catch (const std::bad_alloc&) {
      // Without the memory for their symbols the rest is left to the compressor.
      for (unsigned n = worker.published; n < count; ++n) worker.results[n]->MarkUnusable();
    }
    lock.lock();
    worker.reading = false;
    for (unsigned n = worker.published; n < count; ++n)
      m_slots[(first + n) % SlotCount()].state = SlotState::kDone;
    m_slotDone.notify_all();
  }
}

void SpeculativeSearch::Publish(Worker& worker) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_slots[(worker.first + worker.published) % SlotCount()].state = SlotState::kDone;
    ++worker.published;
  }
  m_slotDone.notify_all();
}

namespace {

// Records a run's symbols and the positions it reached with no match
// carried, segment by segment; a segment never cuts blocks. Where the
// evaluation first reaches a position past a segment that is not the
// run's last, that segment ends and the next begins; the evaluation stops
// at the first such position past the last segment's stop.
template <typename Publish>
struct RunSink {
  const DeflateState& s;
  SpeculatedSegment* const* results;
  const uint64_t first;
  const unsigned count;
  const uint64_t stop;
  Publish publish;
  unsigned current = 0;
  SpeculatedSegment* result = results[0];
  // Where the evaluation passes into the next segment of the run.
  uint64_t nextSegmentStart = count > 1 ? (first + 1) * kSegmentBytes : UINT64_MAX;

  bool NoMatchCarried(unsigned windowPosition, bool literalPending) {
    const uint64_t position = s.windowStart + windowPosition;
    if (position >= nextSegmentStart) NextSegment(position, literalPending);
    return result->Reached(position, literalPending);
  }
  [[gnu::noinline]] void NextSegment(uint64_t position, bool literalPending) {
    result->Finish(position, literalPending, s.error);
    publish();
    ++current;
    const bool last = current + 1 == count;
    result = results[current];
    result->Begin(first + current, last ? stop : UINT64_MAX, position - (literalPending ? 1 : 0));
    nextSegmentStart = last ? UINT64_MAX : (first + current + 1) * kSegmentBytes;
  }
  // Literals are the bytes between matches: nothing to record.
  bool Literal(uint8_t) { return false; }
  bool Match(unsigned distance, unsigned lengthMinus3) {
    // The step is one past the match's first byte.
    result->AddMatch(s.windowStart + s.position - 1, distance, lengthMinus3);
    return false;
  }
  void Cut() {}
};

}  // namespace

// Evaluates the run as the compressor would had it arrived at its first
// segment's start with no match carried and nothing pending: a window whose
// upper half begins there (or at the input's start), chains holding the
// half window before it (all the searches there can reach), then lazy
// steps through the run's segments to the first position past the stop
// that carries no match. Publishes each segment as it finishes.
void SpeculativeSearch::EvaluateRun(Worker& worker) {
  DeflateState& s = *worker.state;
  const uint64_t start = worker.first * kSegmentBytes;
  const uint64_t history = start - InputStart(worker.first);
  worker.results[0]->Begin(worker.first, worker.count == 1 ? worker.stop : UINT64_MAX, start);

  s.error = {};
  s.config = m_config;
  s.windowStart = start - history;
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
  const auto publish = [this, &worker] {
    Publish(worker);
    worker.state->error = {};
  };
  LazyParse parse;
  RunSink<decltype(publish)> sink{s, worker.results, worker.first, worker.count, worker.stop, publish};
  for (;;) {
    if (LazySteps(s, parse, sink)) break;
    KeepLookahead(s, read);
    if (s.endOfInput) {
      // The overrun is too short (it never should be): unusable.
      worker.results[sink.current]->MarkUnusable();
      return;
    }
  }
  SpeculatedSegment& last = *worker.results[sink.current];
  last.Finish(s.windowStart + s.position, parse.literalPending, s.error);
  if (sink.current + 1 == worker.count) Publish(worker);
}

}  // namespace plenx::deflate
