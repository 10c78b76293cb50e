// Length-limited Huffman code construction for one block's alphabets.
#pragma once

#include <cstdint>

#include "archive/deflate_constants.h"
#include "archive/deflate_error.h"

namespace plenx::deflate {

// One alphabet's counts and resulting code, with room for the internal nodes
// of its tree after the leaves.
struct HuffmanTree {
  uint16_t* counts;              // per symbol, then per internal node
  uint16_t* codes;               // bit-reversed canonical code per symbol
  uint16_t* lengths;             // code length per symbol (then per node while building)
  uint16_t* parents;             // parent node while building
  const uint16_t* fixedLengths;  // fixed code lengths, or nullptr (code-length code)
  const uint8_t* extraBits;      // extra bits of symbols from extraBase on
  int extraBase;
  int symbolCount;
  int maxLength;
  int maxCode = -1;  // out: highest symbol with a code
};

// Working memory shared by the three trees of a block.
struct HuffmanWork {
  int heap[kHeapSize];
  int heapLength = 0;
  int heapMax = 0;
  uint8_t depth[kHeapSize];
  uint16_t lengthCounts[kMaxCodeBits + 1];
};

// Builds the code for tree's counts: Huffman's algorithm with ties going to
// the shallower node, dummy symbols added until two symbols have a code, the
// depth limited to maxLength, then canonical codes. Adds the bits of the
// symbols (code plus extra bits) under this code to dynamicBits and under the
// fixed code to fixedBits; dummy symbols count for nothing. The counts of
// dummy symbols are set to 1.
void BuildHuffmanTree(HuffmanTree& tree, HuffmanWork& work, int64_t& dynamicBits, int64_t& fixedBits,
                      DeflateError& error);

}  // namespace plenx::deflate
