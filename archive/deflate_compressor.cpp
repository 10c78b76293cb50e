// Raw deflate compressor: window, hash chains, lazy match search and the
// entry's start and end; block output lives in deflate_block_writer.cpp.
#include "archive/deflate_compressor.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "archive/deflate_block_writer.h"
#include "archive/deflate_lazy_step.h"
#include "archive/deflate_speculation.h"
#include "archive/deflate_state.h"
#include "archive/deflate_window.h"

namespace plenx::deflate {
namespace {

// Codes symbols into the current block, cutting it when recording asks to.
struct BlockSink {
  DeflateState& s;
  bool Literal(uint8_t literal) { return RecordLiteral(s, literal); }
  bool Match(unsigned distance, unsigned lengthMinus3) { return RecordMatch(s, distance, lengthMinus3); }
  void Cut() {
    CutBlock(s, false);
    s.blockStart = s.position;
  }
};

// Lazy evaluation: a match found at one position is only taken if the next
// position does not find a longer one.
void DeflateLazy(DeflateState& s, const DeflateCompressor::ReadFunction& read) {
  LazyParse parse;
  BlockSink sink{s};
  while (s.lookahead != 0) {
    LazyStep(s, parse, sink);
    KeepLookahead(s, read);
  }
  if (parse.literalPending) RecordLiteral(s, s.window[s.position - 1]);
  CutBlock(s, true);
}

// Moves the current position on to input offset target, as the lazy steps
// coding the symbols in between would, refilling the window after.
void AdvanceTo(DeflateState& s, uint64_t target, const DeflateCompressor::ReadFunction& read) {
  const unsigned step = static_cast<unsigned>(target - (s.windowStart + s.position));
  s.position += step;
  s.lookahead -= step;
  KeepLookahead(s, read);
}

// Codes the helper's symbols from position on, where its evaluation met the
// compressor's, to the segment's end. Each symbol is recorded at the step
// the compressor would record it (one past its first byte), so blocks are
// cut, and the window slides, at the same points.
void TakeOver(DeflateState& s, LazyParse& parse, const SpeculatedSegment& segment, uint64_t position,
              const DeflateCompressor::ReadFunction& read) {
  using Segment = SpeculatedSegment;
  BlockSink sink{s};
  const std::vector<uint32_t>& symbols = segment.Symbols();
  // Bytes before this are coded already.
  const uint64_t coded = position - (parse.literalPending ? 1 : 0);
  uint64_t start = segment.Start();
  size_t next = 0;
  while (start < coded) start += Segment::Bytes(symbols[next++]);
  for (; next < symbols.size(); ++next) {
    const uint32_t symbol = symbols[next];
    AdvanceTo(s, start + 1, read);
    if (Segment::IsMatch(symbol)) {
      const bool cut = RecordMatch(s, Segment::Distance(symbol), Segment::LengthMinus3(symbol));
      const unsigned rest = Segment::LengthMinus3(symbol) + kMinMatch - 1;
      s.position += rest;
      s.lookahead -= rest;
      if (cut) sink.Cut();
    } else if (RecordLiteral(s, Segment::LiteralByte(symbol))) {
      sink.Cut();
    }
    start += Segment::Bytes(symbol);
  }
  AdvanceTo(s, segment.End(), read);
  parse.matchLength = kMinMatch - 1;
  parse.literalPending = segment.EndPending();
  if (segment.Error().message) s.error.Fail(segment.Error().message);
}

// DeflateLazy with a helper thread: wherever the evaluation carries no match
// it checks whether the helper's evaluation of the segment reached the same
// position in the same state; from there it takes the helper's symbols.
void DeflateLazySpeculative(DeflateState& s, SpeculativeSearch& speculation,
                            const DeflateCompressor::ReadFunction& read) {
  LazyParse parse;
  BlockSink sink{s};
  bool chainsCurrent = true;
  while (s.lookahead != 0) {
    if (parse.CarriesNoMatch()) {
      const uint64_t position = s.windowStart + s.position;
      const SpeculatedSegment* segment = speculation.SegmentAt(position);
      if (segment != nullptr && segment->Meets(position, parse.literalPending)) {
        TakeOver(s, parse, *segment, position, read);
        chainsCurrent = false;
        continue;
      }
    }
    if (!chainsCurrent) {
      // The positions taken over are not in the chains.
      ResetChains(s);
      chainsCurrent = true;
    }
    LazyStep(s, parse, sink);
    KeepLookahead(s, read);
  }
  if (parse.literalPending) RecordLiteral(s, s.window[s.position - 1]);
  CutBlock(s, true);
}

// Empty window, chains, block and bit writer; the first read of up to a whole
// window; the running hash primed with the first two bytes.
void StartEntry(DeflateState& s, const LevelConfig& config, const DeflateCompressor::ReadFunction& read,
                const DeflateCompressor::OutputFunction& output) {
  BuildCodeTables(s.tables, s.error);
  s.out.Begin(&output);
  s.compressedBits = 0;
  StartBlock(s);
  // Fresh window: near the end of the input the match search compares
  // bytes past the data, and which candidate wins may depend on them; zeros
  // (and, after slides, the entry's own older bytes) keep the stream a
  // function of the input alone.
  std::memset(s.window, 0, sizeof s.window);
  std::memset(s.head, 0, sizeof s.head);
  for (PrefixChains& level : s.prefixChains) std::memset(level.head, 0, sizeof level.head);
  for (unsigned& end : s.indexedEnd) end = 0;
  s.config = config;

  s.windowStart = 0;
  s.position = 0;
  s.blockStart = 0;
  s.matchStart = 0;
  s.prevLength = kMinMatch - 1;
  s.prevMatch = 0;
  s.endOfInput = false;
  s.lookahead = 0;
  const uint32_t delivered = read(s.window, kWindowBytes);
  if (delivered == 0 || delivered == DeflateCompressor::kReadEndOfInput) {
    s.endOfInput = true;
  } else {
    s.lookahead = std::min(delivered, kWindowBytes);
    KeepLookahead(s, read);
  }
  s.hash = ((static_cast<unsigned>(s.window[0]) << kHashShift) ^ s.window[1]) & kHashMask;
}

}  // namespace
}  // namespace plenx::deflate

DeflateCompressor::DeflateCompressor(SearchThreads threads)
    : m_state(std::make_unique<plenx::deflate::DeflateState>()) {
  if (threads == SearchThreads::kTwo ||
      (threads == SearchThreads::kTwoIfAvailable && std::thread::hardware_concurrency() > 1)) {
    m_speculation = std::make_unique<plenx::deflate::SpeculativeSearch>();
  }
}
DeflateCompressor::~DeflateCompressor() = default;

uint64_t DeflateCompressor::Compress(int level, const ReadFunction& read, const OutputFunction& output,
                                     uint16_t& generalPurposeFlag, std::string& errorMessage) {
  using namespace plenx::deflate;
  DeflateState& s = *m_state;
  errorMessage.clear();
  s.error = {};

  if (level < kMinLevel || level > kMaxLevel) {
    // Still write a complete stream (at the ZIP level) so the archive stays
    // readable; the caller drops the entry because of the message.
    s.error.Fail("bad pack level");
  } else if (level == kZipLevel) {
    generalPurposeFlag |= kLevel8FlagMark;
  }
  const bool levelValid = level >= kMinLevel && level <= kMaxLevel;
  const LevelConfig& config = kLevelConfigs[levelValid ? level : kZipLevel];
  if (m_speculation) {
    SpeculativeSearch& speculation = *m_speculation;
    speculation.BeginEntry(config, read);
    const ReadFunction windowRead = [&speculation](uint8_t* buffer, uint32_t count) {
      return speculation.ReadForWindow(buffer, count);
    };
    StartEntry(s, config, windowRead, output);
    DeflateLazySpeculative(s, speculation, windowRead);
    speculation.EndEntry();
  } else {
    StartEntry(s, config, read, output);
    DeflateLazy(s, read);
  }

  if (s.error.message) errorMessage = s.error.message;
  return s.out.HandedOverBytes();
}
