// Huffman tree building: heap of subtrees, depth limiting, canonical codes.
#include "archive/deflate_huffman.h"

#include <algorithm>
#include <iterator>

#include "archive/deflate_code_tables.h"

namespace plenx::deflate {
namespace {

constexpr int kSmallest = 1;  // heap root

// Orders nodes by count, then by depth so equal counts merge shallow trees first.
bool Smaller(const HuffmanTree& tree, const HuffmanWork& work, int n, int m) {
  return tree.counts[n] < tree.counts[m] ||
         (tree.counts[n] == tree.counts[m] && work.depth[n] <= work.depth[m]);
}

// Restores the heap property from position k downwards.
void SiftDown(const HuffmanTree& tree, HuffmanWork& work, int k) {
  const int v = work.heap[k];
  int j = k << 1;
  while (j <= work.heapLength) {
    if (j < work.heapLength && Smaller(tree, work, work.heap[j + 1], work.heap[j])) ++j;
    if (Smaller(tree, work, v, work.heap[j])) break;
    work.heap[k] = work.heap[j];
    k = j;
    j <<= 1;
  }
  work.heap[k] = v;
}

// Code lengths from the finished tree (nodes sorted by count in
// heap[heapMax..]), limited to maxLength; adds the block's bits.
void AssignLengths(HuffmanTree& tree, HuffmanWork& work, int64_t& dynamicBits, int64_t& fixedBits) {
  uint16_t* counts = tree.counts;
  uint16_t* lengths = tree.lengths;
  std::fill(std::begin(work.lengthCounts), std::end(work.lengthCounts), 0);

  lengths[work.heap[work.heapMax]] = 0;  // root
  int overflow = 0;                      // nodes, inner ones included, placed at maxLength instead of deeper
  int h = work.heapMax + 1;
  for (; h < kHeapSize; ++h) {
    const int n = work.heap[h];
    int bits = lengths[tree.parents[n]] + 1;
    if (bits > tree.maxLength) {
      bits = tree.maxLength;
      ++overflow;
    }
    lengths[n] = static_cast<uint16_t>(bits);
    if (n > tree.maxCode) continue;  // inner node
    ++work.lengthCounts[bits];
    const int extra = n >= tree.extraBase ? tree.extraBits[n - tree.extraBase] : 0;
    dynamicBits += static_cast<int64_t>(counts[n]) * (bits + extra);
    if (tree.fixedLengths) fixedBits += static_cast<int64_t>(counts[n]) * (tree.fixedLengths[n] + extra);
  }
  if (overflow == 0) return;

  // Make room at maxLength: move a leaf from the deepest shorter level one
  // level down and pair it with an overflowed leaf.
  do {
    int bits = tree.maxLength - 1;
    while (work.lengthCounts[bits] == 0) --bits;
    --work.lengthCounts[bits];
    work.lengthCounts[bits + 1] += 2;
    --work.lengthCounts[tree.maxLength];
    overflow -= 2;
  } while (overflow > 0);

  // Hand the lengths out again, longest first, in order of increasing count.
  h = kHeapSize;
  for (int bits = tree.maxLength; bits != 0; --bits) {
    int n = work.lengthCounts[bits];
    while (n != 0) {
      const int m = work.heap[--h];
      if (m > tree.maxCode) continue;
      if (lengths[m] != bits) {
        dynamicBits += (static_cast<int64_t>(bits) - lengths[m]) * counts[m];
        lengths[m] = static_cast<uint16_t>(bits);
      }
      --n;
    }
  }
}

}  // namespace

void BuildHuffmanTree(HuffmanTree& tree, HuffmanWork& work, int64_t& dynamicBits, int64_t& fixedBits,
                      DeflateError& error) {
  uint16_t* counts = tree.counts;
  int maxCode = -1;
  int node = tree.symbolCount;  // next inner node

  work.heapLength = 0;
  work.heapMax = kHeapSize;
  for (int n = 0; n < tree.symbolCount; ++n) {
    if (counts[n] != 0) {
      work.heap[++work.heapLength] = maxCode = n;
      work.depth[n] = 0;
    } else {
      tree.lengths[n] = 0;
    }
  }

  // A code needs two symbols; dummies of count 1 (symbols 0, 1 or 2, which
  // have no extra bits) make up the number and are left out of the sizes.
  while (work.heapLength < 2) {
    const int dummy = work.heap[++work.heapLength] = maxCode < 2 ? ++maxCode : 0;
    counts[dummy] = 1;
    work.depth[dummy] = 0;
    --dynamicBits;
    if (tree.fixedLengths) fixedBits -= tree.fixedLengths[dummy];
  }
  tree.maxCode = maxCode;

  for (int n = work.heapLength / 2; n >= 1; --n) SiftDown(tree, work, n);

  do {
    const int n = work.heap[kSmallest];
    work.heap[kSmallest] = work.heap[work.heapLength--];
    SiftDown(tree, work, kSmallest);
    const int m = work.heap[kSmallest];

    work.heap[--work.heapMax] = n;  // nodes end up sorted by count
    work.heap[--work.heapMax] = m;

    counts[node] = static_cast<uint16_t>(counts[n] + counts[m]);
    work.depth[node] = static_cast<uint8_t>(std::max(work.depth[n], work.depth[m]) + 1);
    tree.parents[n] = tree.parents[m] = static_cast<uint16_t>(node);

    work.heap[kSmallest] = node++;
    SiftDown(tree, work, kSmallest);
  } while (work.heapLength >= 2);

  work.heap[--work.heapMax] = work.heap[kSmallest];

  AssignLengths(tree, work, dynamicBits, fixedBits);
  GenerateCanonicalCodes(tree.codes, tree.lengths, maxCode, work.lengthCounts, error);
}

}  // namespace plenx::deflate
