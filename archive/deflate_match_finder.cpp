// Longest-match search: the three-byte chain walk's result, found through
// the prefix chains of the search index, which visit only candidates that can win.
#include "archive/deflate_match_finder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

namespace plenx::deflate {
namespace {

// Candidates the plain three-byte walk visits before the search turns to the
// prefix chains: short chains (incompressible data) need no more.
constexpr unsigned kShortChainSteps = 4;
// Prefix chain steps between checks of the chain budget.
constexpr unsigned kRankCheckSteps = 8;

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
    s.error.Fail("a match candidate at or after the position searched");
    return true;
  }
  const unsigned length = MatchLength(scan, s.window + candidate);
  if (length > bestLength) {
    if (position + length > kWindowBytes) s.error.Fail("a match running past the window");
    s.matchStart = candidate;
    bestLength = length;
    if (length >= s.config.niceLength) return true;
    scanEnd = Load16(scan + bestLength - 1);
  }
  return false;
}

// The first count bytes (1 to 8) as one number, the others' bits cleared;
// reads 8 bytes, as one load (assembling the bytes in memory would stall).
template <unsigned kCount>
inline uint64_t LoadFirst(const uint8_t* bytes) {
  static_assert(kCount >= 1 && kCount <= 8);
  const uint64_t all = Load64(bytes);
  if constexpr (kCount == 8) {
    return all;
  } else if constexpr (std::endian::native == std::endian::little) {
    return all & ((uint64_t{1} << (8 * kCount)) - 1);
  } else {
    return all >> (8 * (8 - kCount));
  }
}

// Bucket of the string at p in the chains of prefixes of kBytes bytes.
template <unsigned kBytes>
inline unsigned PrefixBucket(const uint8_t* p) {
  static_assert(kBytes >= 4 && kBytes <= 16);
  if constexpr (kBytes == 4) {
    return (Load32(p) * 2654435761u) >> (32 - kPrefixHashBits);
  } else if constexpr (kBytes <= 8) {
    return static_cast<unsigned>((LoadFirst<kBytes>(p) * 0x9E3779B97F4A7C15ull) >> (64 - kPrefixHashBits));
  } else {
    const uint64_t mixed = Load64(p) ^ (LoadFirst<kBytes - 8>(p + 8) * 0xC2B2AE3D27D4EB4Full);
    return static_cast<unsigned>((mixed * 0x9E3779B97F4A7C15ull) >> (64 - kPrefixHashBits));
  }
}

// Adds positions first to last to the chains of the levels in kLevels (one
// bit per level), in one pass over the bytes.
template <unsigned kLevels>
void IndexLevels(DeflateState& s, unsigned first, unsigned last) {
  const auto link = [&s](unsigned level, unsigned bucket, unsigned position) {
    PrefixChains& chains = s.prefixChains[level];
    chains.prev[position & kWindowMask] = chains.head[bucket];
    chains.head[bucket] = static_cast<uint16_t>(position);
  };
  for (unsigned position = first; position <= last; ++position) {
    const uint8_t* const bytes = s.window + position;
    if constexpr ((kLevels & 1) != 0) link(0, PrefixBucket<kPrefixBytes[0]>(bytes), position);
    if constexpr ((kLevels & 2) != 0) link(1, PrefixBucket<kPrefixBytes[1]>(bytes), position);
    if constexpr ((kLevels & 4) != 0) link(2, PrefixBucket<kPrefixBytes[2]>(bytes), position);
  }
}

template <size_t... kSets>
constexpr auto IndexLevelsFunctions(std::index_sequence<kSets...>) {
  return std::array<void (*)(DeflateState&, unsigned, unsigned), sizeof...(kSets)>{IndexLevels<kSets>...};
}

// Brings one level's chains up to the current position before a search walks
// them. A level only some searches need is filled only then; positions below
// lowest, which this search cannot visit, are left out (so are those of any
// later search: lowest only grows), and the chain then simply ends there.
// Levels filled as far and walked since the window last slid come along in
// the same pass: where searches reach long matches all levels are walked.
inline void IndexLevel(DeflateState& s, unsigned level, unsigned lowest) {
  static_assert(kPrefixLevels == 3, "one bit per level in the sets of levels");
  static constexpr auto kIndexLevels = IndexLevelsFunctions(std::make_index_sequence<1u << kPrefixLevels>());
  const unsigned position = s.position;
  const unsigned end = s.indexedEnd[level];
  const unsigned walked = s.levelsWalked | 1u << level;
  s.levelsWalked = walked;
  if (end > position) return;
  const bool with0 = (walked & 1) != 0 && s.indexedEnd[0] == end;
  const bool with1 = (walked & 2) != 0 && s.indexedEnd[1] == end;
  const bool with2 = (walked & 4) != 0 && s.indexedEnd[2] == end;
  kIndexLevels[with0 | with1 << 1 | with2 << 2](s, std::max(end, lowest), position);
  if (with0) s.indexedEnd[0] = position + 1;
  if (with1) s.indexedEnd[1] = position + 1;
  if (with2) s.indexedEnd[2] = position + 1;
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

// The walk over the three-byte chain itself, for its first kShortChainSteps
// candidates. True when the walk ended there: the result is in bestLength.
// Otherwise bestLength and s.matchStart hold the best of those candidates
// (the nearest of the longest), from which the rest of the search goes on.
bool WalkShortChain(DeflateState& s, unsigned candidate, SearchBounds bounds, unsigned& bestLength) {
  const uint8_t* const window = s.window;
  const uint8_t* const scan = window + s.position;
  const uint16_t* const prev = s.prev;
  bestLength = s.prevLength;
  unsigned budget = std::min(bounds.budget, kShortChainSteps);
  uint16_t scanEnd = Load16(scan + bestLength - 1);
  const uint16_t scanStart = Load16(scan);
  for (;;) {
    if (Load16(window + candidate + bestLength - 1) == scanEnd && Load16(window + candidate) == scanStart &&
        MeasureCandidate(s, candidate, bestLength, scanEnd))
      return true;
    candidate = prev[candidate & kWindowMask];
    if (candidate <= bounds.limit) return true;
    if (--budget == 0) return bounds.budget <= kShortChainSteps;
  }
}

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
unsigned WalkPrefixChains(DeflateState& s, unsigned firstCandidate, SearchBounds bounds,
                          unsigned startLength) {
  const unsigned position = s.position;
  const uint8_t* const window = s.window;
  const uint8_t* const scan = window + position;
  const uint16_t* const rank = s.rank;
  unsigned bestLength = startLength;

  // Chains hold decreasing positions.
  const unsigned lowest = std::min(firstCandidate, bounds.limit + 1);
  const uint16_t positionRank = rank[position & kWindowMask];
  const uint32_t scanStart = Load32(scan);
  uint16_t scanEnd = Load16(scan + bestLength - 1);

  unsigned level = LevelFor(bestLength + 1);
  IndexLevel(s, level, lowest);
  const uint16_t* links = s.prefixChains[level].prev;
  unsigned uncheckedSteps = 0;
  for (unsigned candidate = links[position & kWindowMask]; candidate >= lowest;
       candidate = links[candidate & kWindowMask]) {
    // Most candidates fail here. The budget is checked only for candidates
    // that pass, and every kRankCheckSteps steps: the walk may go a few
    // steps past the budget's end but never measures a candidate there.
    const bool mayBeLonger = Load16(window + candidate + bestLength - 1) == scanEnd;
    if (!mayBeLonger && ++uncheckedSteps < kRankCheckSteps) continue;
    uncheckedSteps = 0;
    if (Load32(window + candidate) != scanStart) continue;  // another string in the same bucket
    if (static_cast<uint16_t>(positionRank - rank[candidate & kWindowMask]) > bounds.budget) break;
    if (!mayBeLonger) continue;
    if (MeasureCandidate(s, candidate, bestLength, scanEnd)) return bestLength;
    // The candidate shares bestLength bytes, so it is in the chain of every
    // prefix up to that long.
    const unsigned reached = LevelFor(bestLength);
    if (reached > level) {
      level = reached;
      IndexLevel(s, level, lowest);
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
        s.error.Fail("a match candidate at or after the position searched");
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
  if (s.position > kWindowBytes - kMinLookahead)
    s.error.Fail("a match search too close to the end of the window");
  unsigned bestLength;
  if (WalkShortChain(s, candidate, bounds, bestLength)) return bestLength;
  return WalkPrefixChains(s, candidate, bounds, bestLength);
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
  for (unsigned& end : s.indexedEnd) end = end >= kWindowHalfBytes ? end - kWindowHalfBytes : 0;
  s.levelsWalked = 0;
}

void ResetChains(DeflateState& s) {
  s.chainsStale = false;
  std::memset(s.head, 0, sizeof s.head);
  for (PrefixChains& chains : s.prefixChains) std::memset(chains.head, 0, sizeof chains.head);
  for (unsigned& end : s.indexedEnd) end = 0;
  const unsigned first = s.position > kMaxDistance ? s.position - kMaxDistance : 0;
  s.hash = ((static_cast<unsigned>(s.window[first]) << kHashShift) ^ s.window[first + 1]) & kHashMask;
  for (unsigned position = first; position < s.position; ++position) InsertString(s, position);
}

}  // namespace plenx::deflate
