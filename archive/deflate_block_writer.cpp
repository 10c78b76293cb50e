// Block output: code construction, the stored/fixed/dynamic choice, the
// run-length coded code lengths and the symbols themselves.
#include "archive/deflate_block_writer.h"

#include <algorithm>

namespace plenx::deflate {
namespace {

// Marks the end of a code-length scan so the last run always ends.
constexpr uint16_t kScanGuardLength = 0xFFFF;
// Code length - 1 above this means a length of 0 or above 15 (unsigned wrap).
constexpr unsigned kMaxCodeBitsLessOne = kMaxCodeBits - 1;

HuffmanTree LiteralTree(DeflateState& state) {
  BlockTrees& t = state.trees;
  return {t.literalCounts,
          t.literalCodes,
          t.literalLengths,
          t.literalParents,
          state.tables.fixedLiteralLength,
          kLengthExtraBits,
          kLiterals + 1,
          kLiteralLengthCodes,
          kMaxCodeBits};
}

HuffmanTree DistanceTree(DeflateState& state) {
  BlockTrees& t = state.trees;
  return {t.distanceCounts,
          t.distanceCodes,
          t.distanceLengths,
          t.distanceParents,
          state.tables.fixedDistanceLength,
          kDistanceExtraBits,
          0,
          kDistanceCodes,
          kMaxCodeBits};
}

HuffmanTree CodeLengthTree(DeflateState& state) {
  BlockTrees& t = state.trees;
  return {t.codeLengthCounts,
          t.codeLengthCodes,
          t.codeLengthLengths,
          t.codeLengthParents,
          nullptr,
          kCodeLengthExtraBits,
          0,
          kCodeLengthCodes,
          kMaxCodeLengthCodeBits};
}

// Walks an alphabet's code lengths as runs the way they are sent (literal
// length, code 16 repeating the previous length 3-6 times, codes 17/18 for
// 3-10 / 11-138 zeros) and calls emit(symbol, repeatCount) per sent symbol;
// repeatCount is 0 for a plain length.
template <typename Emit>
void ForEachCodeLengthSymbol(uint16_t* lengths, int maxCode, Emit&& emit) {
  int previousLength = -1;
  int nextLength = lengths[0];
  int count = 0;
  int maxCount = nextLength == 0 ? 138 : 7;
  int minCount = nextLength == 0 ? 3 : 4;
  lengths[maxCode + 1] = kScanGuardLength;

  for (int n = 0; n <= maxCode; ++n) {
    const int length = nextLength;
    nextLength = lengths[n + 1];
    if (++count < maxCount && length == nextLength) continue;
    if (count < minCount) {
      for (; count > 0; --count) emit(length, 0);
    } else if (length != 0) {
      if (length != previousLength) {
        emit(length, 0);
        --count;
      }
      emit(kRepeatPrevious3To6, count);
    } else if (count <= 10) {
      emit(kRepeatZero3To10, count);
    } else {
      emit(kRepeatZero11To138, count);
    }
    count = 0;
    previousLength = length;
    if (nextLength == 0) {
      maxCount = 138;
      minCount = 3;
    } else if (length == nextLength) {
      maxCount = 6;
      minCount = 3;
    } else {
      maxCount = 7;
      minCount = 4;
    }
  }
}

// Builds the code-length code for both alphabets; returns the index in
// kCodeLengthOrder of the last code-length code with a length (at least 3).
int BuildCodeLengthCode(DeflateState& state, int literalMaxCode, int distanceMaxCode) {
  BlockTrees& t = state.trees;
  auto count = [&t](int symbol, int) { ++t.codeLengthCounts[symbol]; };
  ForEachCodeLengthSymbol(t.literalLengths, literalMaxCode, count);
  ForEachCodeLengthSymbol(t.distanceLengths, distanceMaxCode, count);

  HuffmanTree tree = CodeLengthTree(state);
  BuildHuffmanTree(tree, t.work, state.dynamicBits, state.fixedBits, state.error);

  int lastIndex = kCodeLengthCodes - 1;
  for (; lastIndex >= 3; --lastIndex) {
    if (t.codeLengthLengths[kCodeLengthOrder[lastIndex]] != 0) break;
  }
  // HLIT, HDIST, HCLEN and 3 bits per sent code-length code length.
  state.dynamicBits += 3 * (lastIndex + 1) + 5 + 5 + 4;
  return lastIndex;
}

void SendCodeLengths(DeflateState& state, uint16_t* lengths, int maxCode) {
  BlockTrees& t = state.trees;
  ForEachCodeLengthSymbol(lengths, maxCode, [&state, &t](int symbol, int count) {
    state.out.Put(t.codeLengthCodes[symbol], t.codeLengthLengths[symbol]);
    if (symbol == kRepeatPrevious3To6) {
      if (count < 3 || count > 6) state.error.Fail("a repeat of a code length outside 3 to 6");
      state.out.Put(static_cast<unsigned>(count - 3) & 3, 2);
    } else if (symbol == kRepeatZero3To10) {
      state.out.Put(count - 3, 3);
    } else if (symbol == kRepeatZero11To138) {
      state.out.Put(count - 11, 7);
    }
  });
}

// Dynamic block header after BTYPE: HLIT, HDIST, HCLEN, the code-length
// code's lengths, then both alphabets' run-length coded lengths.
void SendDynamicHeader(DeflateState& state, int literalCodes, int distanceCodes, int codeLengthCodes) {
  if (literalCodes < 257 || distanceCodes < 1 || codeLengthCodes < 4)
    state.error.Fail("a block header with too few codes");
  if (literalCodes > kLiteralLengthCodes || distanceCodes > kDistanceCodes ||
      codeLengthCodes > kCodeLengthCodes) {
    state.error.Fail("a block header with too many codes");
  }
  state.out.Put(literalCodes - 257, 5);   // HLIT
  state.out.Put(distanceCodes - 1, 5);    // HDIST
  state.out.Put(codeLengthCodes - 4, 4);  // HCLEN
  for (int rank = 0; rank < codeLengthCodes; ++rank) {
    state.out.Put(state.trees.codeLengthLengths[kCodeLengthOrder[rank]], 3);
  }
  SendCodeLengths(state, state.trees.literalLengths, literalCodes - 1);
  SendCodeLengths(state, state.trees.distanceLengths, distanceCodes - 1);
}

// Sends the block's symbols and the end-of-block code.
void SendSymbols(DeflateState& state, const uint16_t* literalCodes, const uint16_t* literalLengths,
                 const uint16_t* distanceCodes, const uint16_t* distanceLengths) {
  const CodeTables& tables = state.tables;
  BitWriter& out = state.out;
  unsigned flags = 0;
  unsigned distanceIndex = 0;
  bool badLengths = false;  // a code of length 0 or above 15 was sent
  for (unsigned i = 0; i < state.literalCount; ++i) {
    if ((i & 7) == 0) flags = state.matchFlags[i >> 3];
    const unsigned symbol = state.literalOrLength[i];
    if ((flags & 1) == 0) {
      const unsigned length = literalLengths[symbol];
      badLengths |= length - 1 > kMaxCodeBitsLessOne;
      out.Put(literalCodes[symbol], length);
    } else {
      // Length code with its extra bits, then distance code with its extra bits.
      const unsigned lengthCode = tables.lengthCode[symbol];
      const unsigned lengthSymbol = lengthCode + kLiterals + 1;
      const unsigned codeLength = literalLengths[lengthSymbol];
      badLengths |= codeLength - 1 > kMaxCodeBitsLessOne;
      out.Put(literalCodes[lengthSymbol] |
                  (static_cast<uint64_t>(symbol - tables.lengthBase[lengthCode]) << codeLength),
              codeLength + kLengthExtraBits[lengthCode]);

      const unsigned distance = state.distances[distanceIndex++];
      unsigned distanceCode = DistanceCode(tables, distance);
      if (distanceCode >= kDistanceCodes) {
        state.error.Fail("a distance without a distance code");
        distanceCode = 0;
      }
      const unsigned distanceLength = distanceLengths[distanceCode];
      badLengths |= distanceLength - 1 > kMaxCodeBitsLessOne;
      out.Put(distanceCodes[distanceCode] |
                  (static_cast<uint64_t>(distance - tables.distanceBase[distanceCode]) << distanceLength),
              distanceLength + kDistanceExtraBits[distanceCode]);
    }
    flags >>= 1;
  }
  const unsigned endLength = literalLengths[kEndOfBlock];
  badLengths |= endLength - 1 > kMaxCodeBitsLessOne;
  out.Put(literalCodes[kEndOfBlock], endLength);
  if (badLengths) state.error.Fail("a symbol coded without a code");
}

}  // namespace

void StartBlock(DeflateState& state) {
  BlockTrees& t = state.trees;
  std::fill_n(t.literalCounts, kLiteralLengthCodes, 0);
  std::fill_n(t.distanceCounts, kDistanceCodes, 0);
  std::fill_n(t.codeLengthCounts, kCodeLengthCodes, 0);
  t.literalCounts[kEndOfBlock] = 1;
  state.dynamicBits = 0;
  state.fixedBits = 0;
  state.literalCount = 0;
  state.distanceCount = 0;
  state.flagByteCount = 0;
  state.pendingFlags = 0;
  state.pendingFlagBit = 1;
}

bool EstimateSaysCut(const DeflateState& state) {
  // Rough size of the block: 8 bits per symbol plus, per match, 5 bits for
  // its distance code and the code's extra bits.
  uint64_t estimateBytes = static_cast<uint64_t>(state.literalCount) * 8;
  for (int code = 0; code < kDistanceCodes; ++code) {
    estimateBytes += static_cast<uint64_t>(state.trees.distanceCounts[code]) * (5 + kDistanceExtraBits[code]);
  }
  estimateBytes >>= 3;
  const int64_t inputBytes = static_cast<int64_t>(state.position) - state.blockStart;
  return state.distanceCount < state.literalCount / 2 && static_cast<int64_t>(estimateBytes) < inputBytes / 2;
}

void CutBlock(DeflateState& state, bool lastBlock) {
  state.matchFlags[state.flagByteCount] = static_cast<uint8_t>(state.pendingFlags);
  const uint8_t* storedBytes = state.blockStart >= 0 ? state.window + state.blockStart : nullptr;
  const uint64_t storedLength =
      static_cast<uint64_t>(static_cast<int64_t>(state.position) - state.blockStart);

  HuffmanTree literalTree = LiteralTree(state);
  HuffmanTree distanceTree = DistanceTree(state);
  BuildHuffmanTree(literalTree, state.trees.work, state.dynamicBits, state.fixedBits, state.error);
  BuildHuffmanTree(distanceTree, state.trees.work, state.dynamicBits, state.fixedBits, state.error);
  const int lastCodeLengthIndex = BuildCodeLengthCode(state, literalTree.maxCode, distanceTree.maxCode);

  const uint64_t dynamicBytes = static_cast<uint64_t>(state.dynamicBits + kBlockHeaderBits + 7) >> 3;
  const uint64_t fixedBytes = static_cast<uint64_t>(state.fixedBits + kBlockHeaderBits + 7) >> 3;
  const uint64_t bestBytes = std::min(dynamicBytes, fixedBytes);
  const unsigned finalBit = lastBlock ? 1 : 0;

  // A stored block needs its bytes in the window and must fit LEN's 16 bits.
  if (storedLength + kStoredLengthFieldBytes <= bestBytes && storedBytes != nullptr &&
      storedLength <= kMaxStoredBlockBytes) {
    state.out.Put((kStoredBlock << 1) | finalBit, kBlockHeaderBits);
    state.compressedBits = (state.compressedBits + kBlockHeaderBits + 7) & ~uint64_t{7};
    state.compressedBits += (storedLength + kStoredLengthFieldBytes) << 3;
    state.out.AlignToByte();
    const auto length = static_cast<uint16_t>(storedLength);
    const auto notLength = static_cast<uint16_t>(~length);
    state.out.PutByte(static_cast<uint8_t>(length));  // LEN, little-endian
    state.out.PutByte(static_cast<uint8_t>(length >> 8));
    state.out.PutByte(static_cast<uint8_t>(notLength));  // NLEN
    state.out.PutByte(static_cast<uint8_t>(notLength >> 8));
    state.out.PutDirect(storedBytes, static_cast<uint32_t>(storedLength));
  } else if (fixedBytes == bestBytes) {
    state.out.Put((kFixedBlock << 1) | finalBit, kBlockHeaderBits);
    SendSymbols(state, state.tables.fixedLiteralCode, state.tables.fixedLiteralLength,
                state.tables.fixedDistanceCode, state.tables.fixedDistanceLength);
    state.compressedBits += kBlockHeaderBits + static_cast<uint64_t>(state.fixedBits);
  } else {
    state.out.Put((kDynamicBlock << 1) | finalBit, kBlockHeaderBits);
    SendDynamicHeader(state, literalTree.maxCode + 1, distanceTree.maxCode + 1, lastCodeLengthIndex + 1);
    SendSymbols(state, state.trees.literalCodes, state.trees.literalLengths, state.trees.distanceCodes,
                state.trees.distanceLengths);
    state.compressedBits += kBlockHeaderBits + static_cast<uint64_t>(state.dynamicBits);
  }
  if (state.out.BitsWritten() != state.compressedBits)
    state.error.Fail("the bits written differ from the block's size");

  StartBlock(state);
  if (lastBlock) {
    state.out.AlignToByte();
    state.out.HandOver();
  }
}

}  // namespace plenx::deflate
