// The helper thread's segment evaluation and its hand-over to the compressor.
#include "archive/deflate_speculation.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

#include "archive/deflate_lazy_step.h"
#include "archive/deflate_match_finder.h"
#include "archive/deflate_state.h"
#include "archive/deflate_window.h"

namespace plenx::deflate {
namespace {

// The ring holds the input from the compressor window's next read to the
// end of the segment furthest ahead that the helper may take.
constexpr size_t kRingBytes = (kMaxLeadSegments + 2) * kSegmentBytes;

// Records the helper's symbols; a segment never cuts blocks.
struct SegmentSink {
  SpeculatedSegment& segment;
  bool Literal(uint8_t byte) {
    segment.Add(SpeculatedSegment::Literal(byte));
    return false;
  }
  bool Match(unsigned distance, unsigned lengthMinus3) {
    segment.Add(SpeculatedSegment::Match(distance, lengthMinus3));
    return false;
  }
  void Cut() {}
};

}  // namespace

void SpeculatedSegment::Begin(uint64_t start) {
  m_start = start;
  m_end = start;
  m_endPending = false;
  m_symbols.clear();
  for (std::vector<uint64_t>& reached : m_reached) reached.assign(kReachBits / 64, 0);
  m_error = {};
}

bool SpeculatedSegment::Reached(uint64_t position, bool literalPending) {
  const uint64_t index = position - m_start;
  if (index >= kReachBits) return false;
  m_reached[literalPending][index / 64] |= uint64_t{1} << (index % 64);
  return true;
}

void SpeculatedSegment::Finish(uint64_t end, bool literalPending, const DeflateError& error) {
  m_end = end;
  m_endPending = literalPending;
  m_error = error;
}

SpeculativeSearch::SpeculativeSearch(std::function<void(uint64_t segment)> segmentStarts)
    : m_segmentStarts(std::move(segmentStarts)),
      m_helperState(std::make_unique<DeflateState>()),
      m_helperInput(kWindowHalfBytes + kSegmentBytes + kSegmentOverrunBytes),
      m_ring(kRingBytes) {}

SpeculativeSearch::~SpeculativeSearch() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_helperWake.notify_all();
  if (m_helper.joinable()) m_helper.join();
}

void SpeculativeSearch::BeginEntry(const LevelConfig& config, const DeflateCompressor::ReadFunction& read) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_config = config;
  m_ring.Begin(read);
  m_inputEnd = 0;
  m_inputEnded = false;
  m_mainSegment = 0;
  m_nextHelperSegment = 0;
  m_windowReadDone = 0;
  for (Slot& slot : m_slots) slot.state = SlotState::kFree;
  m_currentSegment = 0;
  m_current = nullptr;
  m_windowReadOffset = 0;
  ReadAhead(lock);
  m_entryActive = true;
  if (!m_inputEnded && !m_helper.joinable()) {
    try {
      m_helper = std::thread([this] { HelperLoop(); });
    } catch (const std::system_error&) {
      // No thread to be had: the compressor evaluates every segment itself.
    }
  }
  lock.unlock();
  m_helperWake.notify_one();
}

void SpeculativeSearch::EndEntry() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_entryActive = false;
  m_slotDone.wait(lock, [this] {
    return std::none_of(std::begin(m_slots), std::end(m_slots),
                        [](const Slot& slot) { return slot.state == SlotState::kRunning; });
  });
}

uint32_t SpeculativeSearch::ReadForWindow(uint8_t* buffer, uint32_t count) {
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    FillRing(lock, m_windowReadOffset + count);
  }
  const uint64_t available = m_ring.End() - m_windowReadOffset;
  const uint32_t delivered = static_cast<uint32_t>(std::min<uint64_t>(count, available));
  // Bytes from the window's read offset on stay put until it passes them.
  m_ring.CopyOut(m_windowReadOffset, buffer, delivered);
  m_windowReadOffset += delivered;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_windowReadDone = m_windowReadOffset;
  return delivered;
}

void SpeculativeSearch::EnterSegment(uint64_t segment) {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_mainSegment = segment;
  for (Slot& slot : m_slots) {
    if (slot.state == SlotState::kDone && slot.segment < segment) slot.state = SlotState::kFree;
  }
  ReadAhead(lock);
  m_helperWake.notify_one();
  Slot& slot = m_slots[segment % std::size(m_slots)];
  m_currentSegment = segment;
  m_current = nullptr;
  if (slot.segment != segment || slot.state == SlotState::kFree) return;
  if (slot.state == SlotState::kRunning) {
    const uint64_t reached = m_helperPosition.load(std::memory_order_relaxed);
    if (reached < segment * kSegmentBytes + kWaitFromSixteenths * kSegmentBytes / 16) {
      m_dropRunning.store(true, std::memory_order_relaxed);
      return;
    }
    m_slotDone.wait(lock, [&] { return slot.state != SlotState::kRunning; });
  }
  if (slot.state == SlotState::kDone) m_current = &slot.result;
}

void SpeculativeSearch::FillRing(std::unique_lock<std::mutex>& lock, uint64_t target) {
  if (m_ring.Ended() || m_ring.End() >= target) return;
  // Reading can take a while; the helper may meanwhile start a segment, but
  // only on input read before and at or above keepFrom, which the ring keeps.
  const uint64_t keepFrom = m_windowReadDone;
  lock.unlock();
  m_ring.FillTo(target, keepFrom);
  lock.lock();
  m_inputEnd = m_ring.End();
  m_inputEnded = m_ring.Ended();
  m_helperWake.notify_one();
}

void SpeculativeSearch::ReadAhead(std::unique_lock<std::mutex>& lock) {
  FillRing(lock, (m_mainSegment + kMaxLeadSegments + 1) * kSegmentBytes + kSegmentOverrunBytes);
}

bool SpeculativeSearch::NextJob(uint64_t& segment) const {
  if (!m_entryActive) return false;
  segment = std::max(m_nextHelperSegment, m_mainSegment + kMinLeadSegments);
  if (segment > m_mainSegment + kMaxLeadSegments) return false;
  const uint64_t start = segment * kSegmentBytes;
  // The evaluation starts half a window early, to find the matches that
  // reach back, and must end before the input does: bytes past the input's
  // end take part in the searches there, as they lie in the window.
  if (m_inputEnd < start + kSegmentBytes + kSegmentOverrunBytes) return false;
  if (start - kWindowHalfBytes < m_windowReadDone) return false;
  const Slot& slot = m_slots[segment % std::size(m_slots)];
  return slot.state == SlotState::kFree;
}

void SpeculativeSearch::HelperLoop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    uint64_t segment = 0;
    m_helperWake.wait(lock, [&] { return m_stop || NextJob(segment); });
    if (m_stop) return;
    Slot& slot = m_slots[segment % std::size(m_slots)];
    slot.segment = segment;
    slot.state = SlotState::kRunning;
    m_nextHelperSegment = segment + 1;
    m_helperPosition.store(segment * kSegmentBytes, std::memory_order_relaxed);
    m_dropRunning.store(false, std::memory_order_relaxed);
    m_ring.CopyOut(segment * kSegmentBytes - kWindowHalfBytes, m_helperInput.data(), m_helperInput.size());
    lock.unlock();
    if (m_segmentStarts) m_segmentStarts(segment);
    const bool finished = Evaluate(segment, slot.result);
    lock.lock();
    slot.state = finished ? SlotState::kDone : SlotState::kFree;
    m_slotDone.notify_all();
  }
}

// Evaluates the segment as the compressor would had it arrived at its start
// with no match carried and nothing pending: a window whose upper half
// begins at the segment, chains holding the half window before it (all the
// searches there can reach), then lazy steps until the first position past
// the segment that carries no match. False when it was dropped or ran out
// of input (the result is then unusable).
bool SpeculativeSearch::Evaluate(uint64_t segment, SpeculatedSegment& result) {
  DeflateState& s = *m_helperState;
  const uint64_t start = segment * kSegmentBytes;
  result.Begin(start);

  s.error = {};
  s.config = m_config;
  s.windowStart = start - kWindowHalfBytes;
  std::memcpy(s.window, m_helperInput.data(), kWindowBytes);
  m_helperInputRead = kWindowBytes;
  s.position = kWindowHalfBytes;
  s.lookahead = kWindowHalfBytes;
  s.endOfInput = false;
  s.blockStart = 0;
  s.matchStart = 0;
  s.prevMatch = 0;
  s.prevLength = kMinMatch - 1;
  ResetChains(s);

  const DeflateCompressor::ReadFunction read = [this](uint8_t* buffer, uint32_t count) -> uint32_t {
    const size_t delivered = std::min<size_t>(count, m_helperInput.size() - m_helperInputRead);
    std::memcpy(buffer, m_helperInput.data() + m_helperInputRead, delivered);
    m_helperInputRead += delivered;
    return static_cast<uint32_t>(delivered);
  };
  LazyParse parse;
  SegmentSink sink{result};
  for (;;) {
    const uint64_t position = s.windowStart + s.position;
    if (parse.CarriesNoMatch()) {
      if (!result.Reached(position, parse.literalPending)) return false;
      if (position >= start + kSegmentBytes) {
        result.Finish(position, parse.literalPending, s.error);
        return true;
      }
      m_helperPosition.store(position, std::memory_order_relaxed);
      if (m_dropRunning.load(std::memory_order_relaxed)) return false;
    }
    LazyStep(s, parse, sink);
    KeepLookahead(s, read);
    if (s.endOfInput) return false;
  }
}

}  // namespace plenx::deflate
