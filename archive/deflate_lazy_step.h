// The lazy match evaluation, shared by the compressor, the speculative
// workers and the stitcher so that all take the same decisions.
#pragma once

#include <algorithm>
#include <cstring>

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

// Evaluates positions from s.position on, one lazy step each: inserts the
// position, searches for a match and either codes the previous position's
// match (and skips the bytes it covers), codes the pending literal, or
// leaves the byte pending. Runs while kMinLookahead bytes are ahead (to the
// end once the input has ended); the caller refills the window and calls
// again. The sink receives:
//   bool NoMatchCarried(position, literalPending): before each step that
//     carries no match, with the step's window offset; true stops the
//     evaluation there (the function then returns true);
//   bool Literal(byte) and Match(distance, lengthMinus3): each coded symbol,
//     with s.position at the step's position; true asks for a cut;
//   void Cut(): with s.position at the end of the symbol's bytes.
// Always inlined: it runs once per input byte on incompressible data, where
// a call costs a tenth of the time.
template <typename Sink>
[[gnu::always_inline]] inline bool LazySteps(DeflateState& s, LazyParse& parse, Sink& sink) {
  const bool endOfInput = s.endOfInput;
  while (s.lookahead >= kMinLookahead || (endOfInput && s.lookahead != 0)) {
    if (parse.CarriesNoMatch() && sink.NoMatchCarried(s.position, parse.literalPending)) return true;
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
  return false;
}

}  // namespace plenx::deflate
