// Raw deflate compressor: window, hash chains, lazy match search and the
// entry's start and end; block output lives in deflate_block_writer.cpp.
#include "archive/deflate_compressor.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "archive/deflate_block_writer.h"
#include "archive/deflate_lazy_step.h"
#include "archive/deflate_speculation.h"
#include "archive/deflate_state.h"
#include "archive/deflate_window.h"
#include "archive/search_workers.h"
#include "platform/cpu_capacity.h"

namespace plenx::deflate {
namespace {

// Codes symbols into the current block, cutting it when recording asks to.
struct BlockSink {
  DeflateState& s;
  bool NoMatchCarried(unsigned, bool) { return false; }
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
    LazySteps(s, parse, sink);
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

// Where a take-over of one segment's symbols has got to: the entry and the
// literals of it already passed, and the input position of what follows.
struct SymbolCursor {
  size_t entry = 0;
  uint32_t literalsPassed = 0;
  uint64_t position = 0;
};

// Codes a segment's symbols from input offset from (reached with
// fromPending) to input offset to (reached with toPending), where its
// evaluation carries no match: from is where it met the compressor's own,
// to where the next segment's meets it or where it ends. Each symbol is
// recorded at the step the compressor would record it (one past its first
// byte), so blocks are cut, and the window slides, at the same points; a
// literal is taken from the window. The cursor, at the segment's start or
// where the last take-over of this segment ended, moves on to to.
void TakeOver(DeflateState& s, LazyParse& parse, const SpeculatedSegment& segment, SymbolCursor& cursor,
              uint64_t from, bool fromPending, uint64_t to, bool toPending,
              const DeflateCompressor::ReadFunction& read) {
  using Segment = SpeculatedSegment;
  BlockSink sink{s};
  // Bytes before codedFrom are coded already; the byte before to stays
  // pending when toPending.
  const uint64_t codedFrom = from - (fromPending ? 1 : 0);
  const uint64_t codedTo = to - (toPending ? 1 : 0);
  const std::vector<uint32_t>& entries = segment.Entries();
  while (cursor.position < codedTo && cursor.entry < entries.size()) {
    const uint32_t entry = entries[cursor.entry];
    const uint32_t literals = Segment::Literals(entry);
    if (cursor.literalsPassed < literals) {
      const uint64_t count = std::min<uint64_t>(literals - cursor.literalsPassed, codedTo - cursor.position);
      uint64_t skipped = 0;
      if (cursor.position < codedFrom) skipped = std::min(count, codedFrom - cursor.position);
      // In stretches over whose steps the window would not be refilled.
      const uint64_t end = cursor.position + count;
      for (uint64_t literal = cursor.position + skipped; literal < end;) {
        AdvanceTo(s, literal + 1, read);
        const uint64_t stretch = s.lookahead >= kMinLookahead ? s.lookahead - kMinLookahead + 1 : 1;
        const auto wanted = static_cast<unsigned>(std::min(stretch, end - literal));
        const unsigned firstStep = s.position;
        bool cut = false;
        const unsigned recorded = RecordLiterals(s, s.window + firstStep - 1, wanted, cut);
        s.position = firstStep + recorded - 1;
        s.lookahead -= recorded - 1;
        if (cut) sink.Cut();
        literal += recorded;
      }
      cursor.position += count;
      cursor.literalsPassed += static_cast<uint32_t>(count);
      continue;
    }
    if (Segment::IsMatch(entry)) {
      const unsigned lengthMinus3 = Segment::LengthMinus3(entry);
      const uint64_t length = lengthMinus3 + kMinMatch;
      if (cursor.position < codedFrom ? cursor.position + length > codedFrom
                                      : cursor.position + length > codedTo) {
        s.error.Fail("a worker thread's match straddles the point where its symbols were taken over");
        break;
      }
      if (cursor.position >= codedFrom) {
        AdvanceTo(s, cursor.position + 1, read);
        const bool cut = RecordMatch(s, Segment::Distance(entry), lengthMinus3);
        const unsigned rest = lengthMinus3 + kMinMatch - 1;
        s.position += rest;
        s.lookahead -= rest;
        if (cut) sink.Cut();
      }
      cursor.position += length;
    }
    ++cursor.entry;
    cursor.literalsPassed = 0;
  }
  if (cursor.position != codedTo)
    s.error.Fail("a worker thread's symbols end short of where they were taken over to");
  AdvanceTo(s, to, read);
  parse.matchLength = kMinMatch - 1;
  parse.literalPending = toPending;
  if (segment.Error().message) s.error.Fail(segment.Error().message);
}

// Stops the compressor's own evaluation where a segment's evaluation meets it.
struct MeetingSink : BlockSink {
  SpeculativeSearch& speculation;
  bool NoMatchCarried(unsigned position, bool literalPending) {
    const uint64_t offset = s.windowStart + position;
    const SpeculatedSegment* segment = speculation.SegmentAt(offset);
    return segment != nullptr && segment->Meets(offset, literalPending);
  }
};

// DeflateLazy with worker threads: the segments' symbols are taken over
// from where the compressor's evaluation meets a segment's to where the
// next segment's evaluation meets that one, usually in its extension. The
// compressor evaluates by itself only where none meets it: the input's end,
// and inputs where the guess and the truth never agree (a run of one byte
// with matches out of step).
void DeflateLazySpeculative(DeflateState& s, SpeculativeSearch& speculation,
                            const DeflateCompressor::ReadFunction& read) {
  LazyParse parse;
  MeetingSink sink{{s}, speculation};
  const SpeculatedSegment* previous = nullptr;  // the last segment taken over, while its extension lasts
  SymbolCursor previousCursor;
  while (s.lookahead != 0) {
    if (parse.CarriesNoMatch()) {
      const uint64_t position = s.windowStart + s.position;
      const bool pending = parse.literalPending;
      const SpeculatedSegment* segment = speculation.SegmentAt(position);
      if (segment != nullptr && segment->Meets(position, pending) && segment->OwnEnd() > position) {
        previousCursor = SymbolCursor{0, 0, segment->Start()};
        TakeOver(s, parse, *segment, previousCursor, position, pending, segment->OwnEnd(),
                 segment->OwnEndPending(), read);
        previous = segment;
        s.chainsStale = true;
        continue;
      }
      if (previous != nullptr && previous->Meets(position, pending)) {
        bool toPending = previous->EndPending();
        const uint64_t to =
            segment != nullptr ? previous->FirstMeeting(*segment, position, toPending) : previous->End();
        TakeOver(s, parse, *previous, previousCursor, position, pending, to, toPending, read);
        if (to == previous->End()) previous = nullptr;
        continue;
      }
      previous = nullptr;
    }
    // The positions taken over are not in the chains.
    if (s.chainsStale) ResetChains(s);
    if (!LazySteps(s, parse, sink)) KeepLookahead(s, read);
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
  s.chainsStale = false;
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

DeflateCompressor::DeflateCompressor(unsigned searchThreads)
    : m_state(std::make_unique<plenx::deflate::DeflateState>()), m_searchThreads(searchThreads) {}
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
    s.error.Fail("compression level outside 1 to 8");
  } else if (level == kZipLevel) {
    generalPurposeFlag |= kLevel8FlagMark;
  }
  const bool levelValid = level >= kMinLevel && level <= kMaxLevel;
  const LevelConfig& config = kLevelConfigs[levelValid ? level : kZipLevel];
  SpeculativeSearch* speculation = nullptr;
  if (m_searchThreads != 1) {
    try {
      if (!m_speculation) m_speculation = std::make_unique<SpeculativeSearch>();
      m_speculation->BeginEntry(config, read, m_searchThreads,
                                [] { return SearchWorkersFor(ReadCpuCapacity()); });
      speculation = m_speculation.get();
    } catch (const std::bad_alloc&) {
      // Nothing was read yet: the calling thread compresses alone.
    }
  }
  if (speculation != nullptr) {
    // However the entry ends, the workers are idle afterwards.
    const std::unique_ptr<SpeculativeSearch, void (*)(SpeculativeSearch*)> entry(
        speculation, [](SpeculativeSearch* ended) { ended->EndEntry(); });
    const ReadFunction windowRead = [speculation](uint8_t* buffer, uint32_t count) {
      return speculation->ReadForWindow(buffer, count);
    };
    StartEntry(s, config, windowRead, output);
    DeflateLazySpeculative(s, *speculation, windowRead);
  } else {
    StartEntry(s, config, read, output);
    DeflateLazy(s, read);
  }

  if (s.error.message) errorMessage = s.error.message;
  return s.out.HandedOverBytes();
}
