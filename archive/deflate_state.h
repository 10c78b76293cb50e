// Working state of a DeflateCompressor, allocated once and reused per entry.
#pragma once

#include <cstdint>

#include "archive/deflate_bit_writer.h"
#include "archive/deflate_code_tables.h"
#include "archive/deflate_constants.h"
#include "archive/deflate_error.h"
#include "archive/deflate_huffman.h"

namespace plenx::deflate {

// Counts and codes of one block's three alphabets; each array has room for
// the tree's inner nodes behind the symbols.
struct BlockTrees {
  uint16_t literalCounts[kHeapSize];
  uint16_t literalCodes[kHeapSize];
  uint16_t literalLengths[kHeapSize];
  uint16_t literalParents[kHeapSize];
  uint16_t distanceCounts[2 * kDistanceCodes + 1];
  uint16_t distanceCodes[2 * kDistanceCodes + 1];
  uint16_t distanceLengths[2 * kDistanceCodes + 1];
  uint16_t distanceParents[2 * kDistanceCodes + 1];
  uint16_t codeLengthCounts[2 * kCodeLengthCodes + 1];
  uint16_t codeLengthCodes[2 * kCodeLengthCodes + 1];
  uint16_t codeLengthLengths[2 * kCodeLengthCodes + 1];
  uint16_t codeLengthParents[2 * kCodeLengthCodes + 1];
  HuffmanWork work;
};

// One level of the search index: most recent position per prefix hash (0
// means none) and, per position modulo the half window, the previous one.
struct PrefixChains {
  uint16_t head[kPrefixHashSize];
  uint16_t prev[kWindowHalfBytes];
};

struct DeflateState {
  // Input bytes still needed: the lower half is the history that matches
  // reach back into, the upper half fills from the read function.
  alignas(64) uint8_t window[kWindowBytes + kWindowPaddingBytes];
  // Most recent position per hash value; 0 means none.
  uint16_t head[kHashSize];
  // Previous position with the same hash, per position modulo the half window.
  uint16_t prev[kWindowHalfBytes];
  // Search index, not part of the format: per prefix length (kPrefixBytes),
  // chains of positions whose first that many bytes hash alike, each holding
  // the positions of its strings in the order of the three-byte chains; and
  // each position's rank in its three-byte chain. A search walks the chain
  // of the longest prefix a better match must share, skipping candidates
  // that cannot win, yet stops exactly where the three-byte chain walk would.
  PrefixChains prefixChains[kPrefixLevels];
  uint16_t rank[kWindowHalfBytes];
  uint16_t chainInserts[kHashSize];  // insertions per three-byte hash, modulo 2^16
  // Per level, the position the prefix chains are filled up to. Positions
  // join them only when a search walks that level, by which time their
  // prefix bytes have been read (a match's positions enter the three-byte
  // chains before the bytes up to its end plus 16 need be in the window).
  unsigned indexedEnd[kPrefixLevels] = {};
  // One bit per level walked since the window last slid.
  unsigned levelsWalked = 0;
  // The chains miss positions (taken over from another thread's evaluation)
  // until ResetChains: slides leave them alone.
  bool chainsStale = false;

  // Input offset of window[0]; grows by half a window with every slide.
  uint64_t windowStart = 0;
  // Matcher position, all offsets into the window.
  unsigned hash = 0;        // running hash of the next three bytes
  unsigned position = 0;    // current position
  unsigned lookahead = 0;   // valid bytes from position on
  unsigned matchStart = 0;  // start of the match found by the last search
  unsigned prevLength = 0;  // length of the match found at the previous position
  unsigned prevMatch = 0;   // its start
  int64_t blockStart = 0;   // negative once the block's start slid out of the window
  bool endOfInput = false;
  LevelConfig config{};

  // Symbols of the current block: literal byte or match length - 3, the
  // distances - 1 of the matches, and one bit per symbol (1 = match).
  uint8_t literalOrLength[kLiteralBufferSize];
  uint16_t distances[kDistanceBufferSize];
  uint8_t matchFlags[kLiteralBufferSize / 8];
  unsigned literalCount = 0;  // symbols, literals and matches
  unsigned distanceCount = 0;
  unsigned flagByteCount = 0;
  unsigned pendingFlags = 0;
  unsigned pendingFlagBit = 1;

  BlockTrees trees;
  CodeTables tables;
  // Block sizes in bits as the codes would send them.
  int64_t dynamicBits = 0;
  int64_t fixedBits = 0;
  // Bits the stream should hold after the blocks written so far.
  uint64_t compressedBits = 0;

  BitWriter out;
  DeflateError error;
};

}  // namespace plenx::deflate
