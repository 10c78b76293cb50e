// Raw deflate compressor: window, hash chains, lazy match search and the
// entry's start and end; block output lives in deflate_block_writer.cpp.
#include "archive/deflate_compressor.h"

#include <algorithm>
#include <cstring>

#include "archive/deflate_block_writer.h"
#include "archive/deflate_match_finder.h"
#include "archive/deflate_state.h"

namespace plenx::deflate {
namespace {

// Moves the upper half of the window down and rebases every position.
void SlideWindow(DeflateState& s) {
  std::memcpy(s.window, s.window + kWindowHalfBytes, kWindowHalfBytes);
  s.matchStart -= kWindowHalfBytes;
  s.position -= kWindowHalfBytes;
  s.blockStart -= kWindowHalfBytes;
  SlideChains(s);
}

// Reads more input behind the lookahead, sliding first when the position
// has reached the upper half's far end.
void FillWindow(DeflateState& s, const DeflateCompressor::ReadFunction& read) {
  unsigned room = kWindowBytes - s.lookahead - s.position;
  if (s.position >= kWindowHalfBytes + kMaxDistance) {
    SlideWindow(s);
    room += kWindowHalfBytes;
  }
  if (room < 2) s.error.Fail("more < 2");
  if (s.endOfInput || room == 0) return;
  uint8_t* const free = s.window + s.position + s.lookahead;
  uint32_t delivered = read(free, room);
  if (delivered == 0 || delivered == DeflateCompressor::kReadEndOfInput) {
    s.endOfInput = true;
    // Keep bytes of an earlier fill out of the last positions' hashes.
    std::memset(free, 0, kMinMatch - 1);
    return;
  }
  s.lookahead += std::min(delivered, room);
}

// Lazy evaluation: a match found at one position is only taken if the next
// position does not find a longer one.
void DeflateLazy(DeflateState& s, const DeflateCompressor::ReadFunction& read) {
  unsigned matchLength = kMinMatch - 1;
  bool literalPending = false;
  while (s.lookahead != 0) {
    unsigned hashHead = 0;
    if (s.lookahead >= kMinMatch) hashHead = InsertString(s, s.position);

    s.prevLength = matchLength;
    s.prevMatch = s.matchStart;
    matchLength = kMinMatch - 1;

    // Past kWindowBytes - kMinLookahead (reached only once the input has
    // ended) a comparison could run off the window: no search there.
    if (hashHead != 0 && s.prevLength < s.config.maxLazy && s.position - hashHead <= kMaxDistance &&
        s.position <= kWindowBytes - kMinLookahead) {
      matchLength = std::min(LongestMatch(s, hashHead), s.lookahead);
      if (matchLength == kMinMatch && s.position - s.matchStart > kTooFar) matchLength = kMinMatch - 1;
    }

    if (s.prevLength >= kMinMatch && matchLength <= s.prevLength) {
      const bool cut = RecordMatch(s, s.position - 1 - s.prevMatch, s.prevLength - kMinMatch);
      // The match covers prevMatch .. position + prevLength - 2; position - 1
      // and position are in the chains already.
      const unsigned matchEnd = s.position + s.prevLength - 1;
      const unsigned hashable = s.position + s.lookahead - (kMinMatch - 1);  // positions below have 3 bytes
      const unsigned insertEnd = std::min(matchEnd, hashable);
      for (unsigned p = s.position + 1; p < insertEnd; ++p) InsertString(s, p);
      s.lookahead -= s.prevLength - 1;
      s.position = matchEnd;
      literalPending = false;
      matchLength = kMinMatch - 1;
      if (cut) {
        CutBlock(s, false);
        s.blockStart = s.position;
      }
    } else if (literalPending) {
      if (RecordLiteral(s, s.window[s.position - 1])) {
        CutBlock(s, false);
        s.blockStart = s.position;
      }
      ++s.position;
      --s.lookahead;
    } else {
      literalPending = true;
      ++s.position;
      --s.lookahead;
    }

    while (s.lookahead < kMinLookahead && !s.endOfInput) FillWindow(s, read);
  }
  if (literalPending) RecordLiteral(s, s.window[s.position - 1]);
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
    while (s.lookahead < kMinLookahead && !s.endOfInput) FillWindow(s, read);
  }
  s.hash = ((static_cast<unsigned>(s.window[0]) << kHashShift) ^ s.window[1]) & kHashMask;
}

}  // namespace
}  // namespace plenx::deflate

DeflateCompressor::DeflateCompressor() : m_state(std::make_unique<plenx::deflate::DeflateState>()) {}
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
  StartEntry(s, kLevelConfigs[levelValid ? level : kZipLevel], read, output);
  DeflateLazy(s, read);

  if (s.error.message) errorMessage = s.error.message;
  return s.out.HandedOverBytes();
}
