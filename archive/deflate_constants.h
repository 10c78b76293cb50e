// Format constants of raw deflate (RFC 1951) and the compressor's fixed sizes.
#pragma once

#include <cstdint>

namespace plenx::deflate {

// Sliding window: two halves; matches reach back at most kMaxDistance bytes.
inline constexpr unsigned kWindowHalfBytes = 32768;
inline constexpr unsigned kWindowBytes = 2 * kWindowHalfBytes;
inline constexpr unsigned kWindowMask = kWindowHalfBytes - 1;
// Zeroed slack after the window: hashing and match comparison near the end of
// the input may look a few bytes past the data, never past the allocation.
inline constexpr unsigned kWindowPaddingBytes = 512;

// Hash chains: 15-bit hash over three bytes, five bits shifted in per byte.
inline constexpr unsigned kHashBits = 15;
inline constexpr unsigned kHashSize = 1u << kHashBits;
inline constexpr unsigned kHashMask = kHashSize - 1;
inline constexpr unsigned kHashShift = 5;

// Search index (not part of the format): chains of positions whose first
// 4, 8 or 16 bytes hash alike, one level per prefix length, 15-bit hashes.
inline constexpr unsigned kPrefixLevels = 3;
inline constexpr unsigned kPrefixBytes[kPrefixLevels] = {4, 8, 16};
inline constexpr unsigned kPrefixHashBits = 15;
inline constexpr unsigned kPrefixHashSize = 1u << kPrefixHashBits;

// Shortest and longest match, in bytes.
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 258;
// Bytes kept ahead of the current position: a whole match plus the bytes
// needed to hash the position after it.
inline constexpr unsigned kMinLookahead = kMaxMatch + kMinMatch + 1;
// Largest match distance; keeps every candidate inside the window's lower half
// after a slide.
inline constexpr unsigned kMaxDistance = kWindowHalfBytes - kMinLookahead;
// A 3-byte match farther than this costs more than three literals.
inline constexpr unsigned kTooFar = 4096;

// Symbol buffers of one block: literal-or-length bytes and match distances.
inline constexpr unsigned kLiteralBufferSize = 32768;
inline constexpr unsigned kDistanceBufferSize = 32768;
// Every kBlockEstimateInterval symbols the compressor estimates whether to cut.
inline constexpr unsigned kBlockEstimateMask = 4096 - 1;

// Output buffer handed to the output function when full.
inline constexpr unsigned kOutputBufferBytes = 16384;
// Longest stored block: LEN is a 16-bit field.
inline constexpr unsigned kMaxStoredBlockBytes = 65535;
// LEN and NLEN in front of a stored block's bytes.
inline constexpr unsigned kStoredLengthFieldBytes = 4;

// Alphabets (RFC 1951, 3.2.5 and 3.2.7).
inline constexpr int kLiterals = 256;
inline constexpr int kEndOfBlock = 256;
inline constexpr int kLengthCodes = 29;
inline constexpr int kLiteralLengthCodes = kLiterals + 1 + kLengthCodes;  // 286
inline constexpr int kDistanceCodes = 30;
inline constexpr int kCodeLengthCodes = 19;
// Fixed literal/length code covers two symbols (286, 287) that never occur.
inline constexpr int kFixedLiteralLengthCodes = 288;
// Huffman tree nodes: every leaf plus every internal node, 1-based heap.
inline constexpr int kHeapSize = 2 * kLiteralLengthCodes + 1;

// Longest code of the literal/length and distance codes, and of the code-length code.
inline constexpr int kMaxCodeBits = 15;
inline constexpr int kMaxCodeLengthCodeBits = 7;

// Code-length code symbols with repeat counts in their extra bits.
inline constexpr int kRepeatPrevious3To6 = 16;
inline constexpr int kRepeatZero3To10 = 17;
inline constexpr int kRepeatZero11To138 = 18;

// BTYPE values of a block header.
inline constexpr unsigned kStoredBlock = 0;
inline constexpr unsigned kFixedBlock = 1;
inline constexpr unsigned kDynamicBlock = 2;
// Block header bits: BFINAL and BTYPE.
inline constexpr unsigned kBlockHeaderBits = 3;

// Extra bits of each length code (257..285).
inline constexpr uint8_t kLengthExtraBits[kLengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// Extra bits of each distance code.
inline constexpr uint8_t kDistanceExtraBits[kDistanceCodes] = {
    0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// Extra bits of each code-length code symbol (only 16, 17 and 18 have any).
inline constexpr uint8_t kCodeLengthExtraBits[kCodeLengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                   0, 0, 0, 0, 0, 0, 2, 3, 7};
// Order in which the code-length code's lengths are sent.
inline constexpr uint8_t kCodeLengthOrder[kCodeLengthCodes] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

// Matching effort of one compression level.
struct LevelConfig {
  unsigned goodLength;  // quarter the chain budget once a match this long is in hand
  unsigned maxLazy;     // do not look for a better match once one this long is in hand
  unsigned niceLength;  // stop searching at a match this long
  unsigned maxChain;    // hash chain steps per search
};
// Levels 0 to 9 of the usual deflate configuration table.
inline constexpr LevelConfig kLevelConfigs[10] = {
    {0, 0, 0, 0},    {4, 4, 8, 4},      {4, 5, 16, 8},     {4, 6, 32, 32},       {4, 4, 16, 16},
    {8, 16, 32, 32}, {8, 16, 128, 128}, {8, 32, 128, 256}, {32, 128, 258, 1024}, {32, 258, 258, 4096}};
// Levels the compressor accepts.
inline constexpr int kMinLevel = 1;
inline constexpr int kMaxLevel = 8;

}  // namespace plenx::deflate
