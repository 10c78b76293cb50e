// One step of the lazy match evaluation, shared by the compressor and the
// speculative search on a second core so that both take the same decisions.
#pragma once

#include <algorithm>

#include "archive/deflate_match_finder.h"
#include "archive/deflate_state.h"

namespace plenx::deflate {

// What the lazy evaluation carries from one position to the next besides the
// matcher state: the length of the match found at the previous position
// (kMinMatch - 1 when none) and whether the byte before the position still
// waits to be coded as a literal. With no match carried, the state is a
// function of the position and literalPending alone: two evaluations that
// meet there go on identically.
struct LazyParse {
  unsigned matchLength = kMinMatch - 1;
  bool literalPending = false;

  bool CarriesNoMatch() const { return matchLength == kMinMatch - 1; }
};

// Evaluates the position s.position: inserts it, searches for a match and
// either codes the previous position's match (and skips the bytes it
// covers), codes the pending literal, or leaves the byte pending. sink
// receives the coded symbols: Literal(byte) and Match(distance,
// lengthMinus3), each returning true when the block should be cut, and
// Cut(), called with s.position at the end of the symbol's bytes. The caller
// refills the window afterwards. Always inlined: it runs once per input
// byte on incompressible data, where a call costs a tenth of the time.
template <typename Sink>
[[gnu::always_inline]] inline void LazyStep(DeflateState& s, LazyParse& parse, Sink& sink) {
  unsigned hashHead = 0;
  if (s.lookahead >= kMinMatch) hashHead = InsertString(s, s.position);

  s.prevLength = parse.matchLength;
  s.prevMatch = s.matchStart;
  parse.matchLength = kMinMatch - 1;

  // Past kWindowBytes - kMinLookahead (reached only once the input has
  // ended) a comparison could run off the window: no search there.
  if (hashHead != 0 && s.prevLength < s.config.maxLazy && s.position - hashHead <= kMaxDistance &&
      s.position <= kWindowBytes - kMinLookahead) {
    parse.matchLength = std::min(LongestMatch(s, hashHead), s.lookahead);
    if (parse.matchLength == kMinMatch && s.position - s.matchStart > kTooFar)
      parse.matchLength = kMinMatch - 1;
  }

  if (s.prevLength >= kMinMatch && parse.matchLength <= s.prevLength) {
    const bool cut = sink.Match(s.position - 1 - s.prevMatch, s.prevLength - kMinMatch);
    // The match covers prevMatch .. position + prevLength - 2; position - 1
    // and position are in the chains already.
    const unsigned matchEnd = s.position + s.prevLength - 1;
    const unsigned hashable = s.position + s.lookahead - (kMinMatch - 1);  // positions below have 3 bytes
    const unsigned insertEnd = std::min(matchEnd, hashable);
    for (unsigned p = s.position + 1; p < insertEnd; ++p) InsertString(s, p);
    s.lookahead -= s.prevLength - 1;
    s.position = matchEnd;
    parse.literalPending = false;
    parse.matchLength = kMinMatch - 1;
    if (cut) sink.Cut();
  } else if (parse.literalPending) {
    if (sink.Literal(s.window[s.position - 1])) sink.Cut();
    ++s.position;
    --s.lookahead;
  } else {
    parse.literalPending = true;
    ++s.position;
    --s.lookahead;
  }
}

}  // namespace plenx::deflate
