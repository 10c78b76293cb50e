// Longest-match search: the three-byte chain walk's result, found through
// the prefix chains of the search index, which visit only candidates that can win.
#include "archive/deflate_match_finder.h"

#include <algorithm>
#include <cstring>

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

inline uint32_t Load32(const uint8_t* bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Bucket of each prefix length for the string at p.
inline unsigned Hash4(const uint8_t* p) { return (Load32(p) * 2654435761u) >> (32 - kPrefixHashBits); }
inline unsigned Hash8(const uint8_t* p) {
  return static_cast<unsigned>((Load64(p) * 0x9E3779B97F4A7C15ull) >> (64 - kPrefixHashBits));
}
inline unsigned Hash16(const uint8_t* p) {
  const uint64_t mixed = Load64(p) ^ (Load64(p + 8) * 0xC2B2AE3D27D4EB4Full);
  return static_cast<unsigned>((mixed * 0x9E3779B97F4A7C15ull) >> (64 - kPrefixHashBits));
}

// Enters the positions from s.indexedEnd through last into the prefix chains.
void IndexPrefixes(DeflateState& s, unsigned last) {
  for (unsigned position = s.indexedEnd; position <= last; ++position) {
    const uint8_t* const bytes = s.window + position;
    const unsigned buckets[kPrefixLevels] = {Hash4(bytes), Hash8(bytes), Hash16(bytes)};
    const unsigned slot = position & kWindowMask;
    for (unsigned level = 0; level < kPrefixLevels; ++level) {
      PrefixChains& chains = s.prefixChains[level];
      chains.prev[slot] = chains.head[buckets[level]];
      chains.head[buckets[level]] = static_cast<uint16_t>(position);
    }
  }
  s.indexedEnd = last + 1;
}

// The prefix chain level to walk once a match must share at least
// sharedBytes bytes: the longest prefix not longer than that.
inline unsigned LevelFor(unsigned sharedBytes) {
  unsigned level = 0;
  while (level + 1 < kPrefixLevels && kPrefixBytes[level + 1] <= sharedBytes) ++level;
  return level;
}

struct SearchBounds {
  unsigned budget;  // candidates the three-byte walk may visit
  unsigned limit;   // candidates after the first must lie above this
};

// The walk over the three-byte hash chain, as the search is defined: visits
// candidates nearest first, at most bounds.budget of them, the first always
// and later ones only above bounds.limit; takes a candidate that is longer
// than the best so far (at least four bytes once prevLength is three) and
// stops at niceLength.
//
// Every candidate that can win shares the first four bytes with the current
// position; once the best match has length n, a better one shares n + 1.
// So the search walks the prefix chain of the longest prefix a winner must
// share, which holds those candidates in the same order, and moves to a
// longer prefix's chain from a candidate that shares it. Equal first bytes
// put a candidate in the same three-byte chain, whose rank tells how many
// steps the three-byte walk would need to get there: the walk ends where
// that one's budget would. Bytes past the end of the input take part as
// they are in the window, in hashes and comparisons alike.
unsigned WalkPrefixChains(DeflateState& s, unsigned firstCandidate, SearchBounds bounds) {
  const unsigned position = s.position;
  IndexPrefixes(s, position);
  const uint8_t* const window = s.window;
  const uint8_t* const scan = window + position;
  const uint16_t* const rank = s.rank;
  const unsigned startLength = s.prevLength;
  unsigned bestLength = startLength;

  // Chains hold decreasing positions.
  const unsigned lowest = std::min(firstCandidate, bounds.limit + 1);
  const uint16_t positionRank = rank[position & kWindowMask];
  const uint32_t scanStart = Load32(scan);
  uint16_t scanEnd = Load16(scan + bestLength - 1);

  unsigned level = LevelFor(bestLength + 1);
  const uint16_t* links = s.prefixChains[level].prev;
  for (unsigned candidate = links[position & kWindowMask]; candidate >= lowest;
       candidate = links[candidate & kWindowMask]) {
    if (Load32(window + candidate) != scanStart) continue;  // another string in the same bucket
    if (static_cast<uint16_t>(positionRank - rank[candidate & kWindowMask]) > bounds.budget) break;
    if (Load16(window + candidate + bestLength - 1) != scanEnd) continue;
    if (MeasureCandidate(s, candidate, bestLength, scanEnd)) return bestLength;
    // The candidate shares bestLength bytes, so it is in the chain of every
    // prefix up to that long.
    const unsigned reached = LevelFor(bestLength);
    if (reached > level) {
      level = reached;
      links = s.prefixChains[level].prev;
    }
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
  return WalkPrefixChains(s, candidate, bounds);
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
  for (PrefixChains& chains : s.prefixChains) {
    slide(chains.head, kPrefixHashSize);
    slide(chains.prev, kWindowHalfBytes);
  }
  s.indexedEnd = s.indexedEnd >= kWindowHalfBytes ? s.indexedEnd - kWindowHalfBytes : 0;
}

}  // namespace plenx::deflate
