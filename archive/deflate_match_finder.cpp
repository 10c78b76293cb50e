// Longest-match search: the three-byte chain walk, and a shortcut through the
// four-byte index that visits only the candidates that can win.
#include "archive/deflate_match_finder.h"

#include <algorithm>

namespace plenx::deflate {
namespace {

// Reads two bytes as one 16-bit value (host order; only compared for equality).
inline uint16_t Load16(const uint8_t* bytes) {
  uint16_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

inline uint64_t Load64(const uint8_t* bytes) {
  uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Number of equal leading bytes of scan and match, counted from offset 2 on
// (callers have compared offsets 0 and 1), at most kMaxMatch. Reads no byte
// beyond offset kMaxMatch - 1.
inline unsigned MatchLength(const uint8_t* scan, const uint8_t* match) {
  for (unsigned offset = 2; offset < kMaxMatch; offset += 8) {
    const uint64_t difference = Load64(scan + offset) ^ Load64(match + offset);
    if (difference != 0) {
      const unsigned length = offset + static_cast<unsigned>(__builtin_ctzll(difference)) / 8;
      return std::min(length, kMaxMatch);
    }
  }
  return kMaxMatch;
}

static_assert((kMaxMatch - 2) % 8 == 0, "MatchLength compares whole words up to kMaxMatch");

// Measures the candidate that passed the quick checks against the best match
// so far (bestLength, and scanEnd: the current position's two bytes that end
// it), taking it over when longer. True when the search must end: the nice
// length is reached, or the candidate is not behind the current position.
inline bool MeasureCandidate(DeflateState& s, unsigned candidate, unsigned& bestLength, uint16_t& scanEnd) {
  const unsigned position = s.position;
  const uint8_t* const scan = s.window + position;
  if (candidate >= position) {
    s.error.Fail("no future");
    return true;
  }
  const unsigned length = MatchLength(scan, s.window + candidate);
  if (length > bestLength) {
    if (position + length > kWindowBytes) s.error.Fail("wild scan");
    s.matchStart = candidate;
    bestLength = length;
    if (length >= s.config.niceLength) return true;
    scanEnd = Load16(scan + bestLength - 1);
  }
  return false;
}

struct SearchBounds {
  unsigned budget;  // candidates the chain walk may visit
  unsigned limit;   // candidates after the first must lie above this
};

// The walk over the three-byte chain itself.
unsigned WalkChain(DeflateState& s, unsigned candidate, SearchBounds bounds) {
  const unsigned position = s.position;
  const uint8_t* const window = s.window;
  const uint8_t* const scan = window + position;
  const uint16_t* const prev = s.prev;
  unsigned bestLength = s.prevLength;
  unsigned budget = bounds.budget;

  // A candidate can only beat bestLength if it agrees at the last two bytes
  // of the best match and at the first two; most candidates fail here.
  uint16_t scanEnd = Load16(scan + bestLength - 1);
  const uint16_t scanStart = Load16(scan);
  for (;;) {
    while (Load16(window + candidate + bestLength - 1) != scanEnd ||
           Load16(window + candidate) != scanStart) {
      candidate = prev[candidate & kWindowMask];
      if (candidate <= bounds.limit || --budget == 0) return bestLength;
    }
    if (MeasureCandidate(s, candidate, bestLength, scanEnd)) return bestLength;
    candidate = prev[candidate & kWindowMask];
    if (candidate <= bounds.limit || --budget == 0) return bestLength;
  }
}

// Same result as WalkChain when every candidate that could win shares the
// first four bytes with the current position (prevLength >= 3), or when the
// best of the others is simply the first with three equal bytes
// (prevLength == 2): walks the four-byte index instead, which holds those
// candidates in the same order, and uses the ranks to stop where the
// three-byte walk's budget would run out. Needs niceLength >= 4. Bytes past
// the end of the input take part as they are in the window, in the hashes
// and comparisons alike, so the result is the same there too.
unsigned WalkFourByteIndex(DeflateState& s, unsigned firstCandidate, SearchBounds bounds) {
  const unsigned position = s.position;
  const uint8_t* const window = s.window;
  const uint8_t* const scan = window + position;
  const uint16_t* const prev4 = s.prev4;
  const uint16_t* const rank = s.rank;
  const unsigned startLength = s.prevLength;
  unsigned bestLength = startLength;

  // The three-byte walk always visits its first candidate, later ones only
  // above the limit; chains hold decreasing positions.
  const unsigned lowest = std::min(firstCandidate, bounds.limit + 1);
  const uint16_t positionRank = rank[position & kWindowMask];
  const uint32_t scanStart = Load32(scan);
  uint16_t scanEnd = Load16(scan + bestLength - 1);

  for (unsigned candidate = prev4[position & kWindowMask]; candidate >= lowest;
       candidate = prev4[candidate & kWindowMask]) {
    if (Load32(window + candidate) != scanStart) continue;  // another string in the same bucket
    // Equal first bytes mean the same three-byte chain: its rank tells how
    // many steps the three-byte walk would need to get here.
    if (static_cast<uint16_t>(positionRank - rank[candidate & kWindowMask]) > bounds.budget) break;
    if (Load16(window + candidate + bestLength - 1) != scanEnd) continue;
    if (MeasureCandidate(s, candidate, bestLength, scanEnd)) return bestLength;
  }
  if (bestLength > startLength || startLength > kMinMatch - 1) return bestLength;

  // No candidate reaches four bytes: the three-byte walk would settle on the
  // first candidate with three equal bytes.
  const uint16_t scanFirstTwo = Load16(scan);
  unsigned candidate = firstCandidate;
  unsigned budget = bounds.budget;
  do {
    if (Load16(window + candidate) == scanFirstTwo && window[candidate + 2] == scan[2]) {
      if (candidate >= position) {
        s.error.Fail("no future");
        return bestLength;
      }
      s.matchStart = candidate;
      return kMinMatch;
    }
  } while ((candidate = s.prev[candidate & kWindowMask]) > bounds.limit && --budget != 0);
  return bestLength;
}

}  // namespace

unsigned LongestMatch(DeflateState& s, unsigned candidate) {
  SearchBounds bounds{s.config.maxChain, s.position > kMaxDistance ? s.position - kMaxDistance : 0};
  if (s.prevLength >= s.config.goodLength) bounds.budget >>= 2;
  if (s.position > kWindowBytes - kMinLookahead) s.error.Fail("insufficient lookahead");
  if (s.config.niceLength >= 4 && s.prevLength >= kMinMatch - 1)
    return WalkFourByteIndex(s, candidate, bounds);
  return WalkChain(s, candidate, bounds);
}

void SlideChains(DeflateState& s) {
  auto slide = [](uint16_t* positions, unsigned count) {
    for (unsigned n = 0; n < count; ++n) {
      const unsigned m = positions[n];
      positions[n] = static_cast<uint16_t>(m >= kWindowHalfBytes ? m - kWindowHalfBytes : 0);
    }
  };
  slide(s.head, kHashSize);
  slide(s.prev, kWindowHalfBytes);
  slide(s.head4, kHash4Size);
  slide(s.prev4, kWindowHalfBytes);
}

}  // namespace plenx::deflate
