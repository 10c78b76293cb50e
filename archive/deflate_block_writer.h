// Symbol recording and block output (stored, fixed-code or dynamic-code).
#pragma once

#include <cstdint>

#include "archive/deflate_state.h"

namespace plenx::deflate {

// Empties the symbol buffers and counts for a new block.
void StartBlock(DeflateState& state);

// Ends the block that began at state.blockStart and ends at state.position:
// picks the smallest of stored, fixed and dynamic coding and writes it. After
// the last block the stream is padded to a byte and handed over.
void CutBlock(DeflateState& state, bool lastBlock);

// Checks, every 4096 symbols, whether cutting the block now is likely to pay.
bool EstimateSaysCut(const DeflateState& state);

// Records one literal byte. True when the block should be cut now.
inline bool RecordLiteral(DeflateState& state, uint8_t literal) {
  state.literalOrLength[state.literalCount++] = literal;
  ++state.trees.literalCounts[literal];
  state.pendingFlagBit <<= 1;
  if ((state.literalCount & 7) == 0) {
    state.matchFlags[state.flagByteCount++] = static_cast<uint8_t>(state.pendingFlags);
    state.pendingFlags = 0;
    state.pendingFlagBit = 1;
  }
  if ((state.literalCount & kBlockEstimateMask) == 0 && EstimateSaysCut(state)) return true;
  return state.literalCount == kLiteralBufferSize - 1;
}

// Records literals one after another, as count RecordLiteral calls would,
// each at the step one past its byte: the first at state.position, the
// next one further on, and so forth (state.position is set to a literal's
// step where a cut is weighed). Returns how many it recorded: count, or
// fewer when the last one recorded asks for a cut (cut is then set).
inline unsigned RecordLiterals(DeflateState& state, const uint8_t* literals, unsigned count, bool& cut) {
  const unsigned firstStep = state.position;
  unsigned symbols = state.literalCount;
  unsigned flags = state.pendingFlags;
  unsigned flagBit = state.pendingFlagBit;
  unsigned flagBytes = state.flagByteCount;
  unsigned recorded = 0;
  cut = false;
  while (recorded < count && !cut) {
    const uint8_t literal = literals[recorded++];
    state.literalOrLength[symbols++] = literal;
    ++state.trees.literalCounts[literal];
    flagBit <<= 1;
    if ((symbols & 7) == 0) {
      state.matchFlags[flagBytes++] = static_cast<uint8_t>(flags);
      flags = 0;
      flagBit = 1;
    }
    if ((symbols & kBlockEstimateMask) == 0) {
      state.literalCount = symbols;
      state.position = firstStep + recorded - 1;
      cut = EstimateSaysCut(state);
    }
    cut = cut || symbols == kLiteralBufferSize - 1;
  }
  state.literalCount = symbols;
  state.pendingFlags = flags;
  state.pendingFlagBit = flagBit;
  state.flagByteCount = flagBytes;
  return recorded;
}

// Records a match of lengthMinus3 + 3 bytes at distance. True when the block
// should be cut now.
inline bool RecordMatch(DeflateState& state, unsigned distance, unsigned lengthMinus3) {
  const unsigned distanceMinusOne = distance - 1;
  const unsigned distanceCode = DistanceCode(state.tables, distanceMinusOne & 0x7FFF);
  if (distanceMinusOne >= kMaxDistance || lengthMinus3 > kMaxMatch - kMinMatch) {
    state.error.Fail("a match longer or farther than the format allows");
    return false;
  }
  state.literalOrLength[state.literalCount++] = static_cast<uint8_t>(lengthMinus3);
  ++state.trees.literalCounts[state.tables.lengthCode[lengthMinus3] + kLiterals + 1];
  ++state.trees.distanceCounts[distanceCode];
  state.distances[state.distanceCount++] = static_cast<uint16_t>(distanceMinusOne);
  state.pendingFlags |= state.pendingFlagBit;
  state.pendingFlagBit <<= 1;
  if ((state.literalCount & 7) == 0) {
    state.matchFlags[state.flagByteCount++] = static_cast<uint8_t>(state.pendingFlags);
    state.pendingFlags = 0;
    state.pendingFlagBit = 1;
  }
  if ((state.literalCount & kBlockEstimateMask) == 0 && EstimateSaysCut(state)) return true;
  return state.literalCount == kLiteralBufferSize - 1 || state.distanceCount == kDistanceBufferSize;
}

}  // namespace plenx::deflate
