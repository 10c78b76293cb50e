// Window refill and slide.
#include "archive/deflate_window.h"

#include <algorithm>
#include <cstring>

#include "archive/deflate_match_finder.h"

namespace plenx::deflate {
namespace {

// Moves the upper half of the window down and rebases every position.
void SlideWindow(DeflateState& s) {
  std::memcpy(s.window, s.window + kWindowHalfBytes, kWindowHalfBytes);
  s.windowStart += kWindowHalfBytes;
  s.matchStart -= kWindowHalfBytes;
  s.position -= kWindowHalfBytes;
  s.blockStart -= kWindowHalfBytes;
  if (!s.chainsStale) SlideChains(s);
}

}  // namespace

void FillWindow(DeflateState& s, const DeflateCompressor::ReadFunction& read) {
  unsigned room = kWindowBytes - s.lookahead - s.position;
  if (s.position >= kWindowHalfBytes + kMaxDistance) {
    SlideWindow(s);
    room += kWindowHalfBytes;
  }
  if (room < 2) s.error.Fail("no room in the window for more input");
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

}  // namespace plenx::deflate
