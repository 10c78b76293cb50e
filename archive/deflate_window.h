// The sliding window: refilling it from the read function and moving it down
// by half its size once the current position reaches the upper half's end.
#pragma once

#include "archive/deflate_compressor.h"
#include "archive/deflate_state.h"

namespace plenx::deflate {

// Reads more input behind the lookahead, sliding first when the position
// has reached the upper half's far end. A read of 0 bytes (or
// DeflateCompressor::kReadEndOfInput) ends the input.
void FillWindow(DeflateState& s, const DeflateCompressor::ReadFunction& read);

// Refills until kMinLookahead bytes are ahead of the position or the input
// has ended, as the lazy loop does after every step.
inline void KeepLookahead(DeflateState& s, const DeflateCompressor::ReadFunction& read) {
  while (s.lookahead < kMinLookahead && !s.endOfInput) FillWindow(s, read);
}

}  // namespace plenx::deflate
