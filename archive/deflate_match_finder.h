// Hash chain insertion and longest-match search over the sliding window.
#pragma once

#include <cstdint>
#include <cstring>

#include "archive/deflate_state.h"

namespace plenx::deflate {

// Reads two, four or eight bytes as one number in host order (compared only
// for equality, or counted from the low end on little-endian hosts).
inline uint16_t Load16(const uint8_t* bytes) {
  uint16_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}
inline uint32_t Load32(const uint8_t* bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}
inline uint64_t Load64(const uint8_t* bytes) {
  uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Adds position to its three-byte hash chain and records its rank there;
// returns the chain's previous head, the first match candidate (0 when none).
// The prefix chains of the search index are filled later, by LongestMatch.
inline unsigned InsertString(DeflateState& s, unsigned position) {
  s.hash = ((s.hash << kHashShift) ^ s.window[position + kMinMatch - 1]) & kHashMask;
  const unsigned slot = position & kWindowMask;
  const unsigned head = s.head[s.hash];
  s.prev[slot] = static_cast<uint16_t>(head);
  s.head[s.hash] = static_cast<uint16_t>(position);
  s.rank[slot] = ++s.chainInserts[s.hash];
  return head;
}

// Searches the chain that starts at candidate (the head returned when
// s.position was inserted) for a match longer than s.prevLength: walks at
// most maxChain candidates (a quarter once prevLength reaches goodLength)
// above position - kMaxDistance and stops at the first one reaching
// config.niceLength. Returns the longest length found, the nearest candidate
// winning ties, and sets s.matchStart to it; returns s.prevLength when no
// candidate is longer. Near the end of the input the comparison runs on
// into the window's bytes past the data (the length is cut by the caller).
// The position must leave kMinLookahead bytes of window.
unsigned LongestMatch(DeflateState& s, unsigned candidate);

// Moves every chain position down by half a window; positions that fall out
// become 0, the empty mark.
void SlideChains(DeflateState& s);

// Starts the chains afresh at the current position, for a window whose
// earlier positions were not all inserted: the three-byte chains get every
// position that a search from here on can reach (from kMaxDistance back),
// the prefix chains fill again as searches need them.
void ResetChains(DeflateState& s);

}  // namespace plenx::deflate
