// Huffman code construction: codes stay complete when the depth limit cuts
// a deep tree, dummy symbols fill up alphabets with fewer than two symbols,
// and the size in bits counts only real symbols.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "archive/deflate_constants.h"
#include "archive/deflate_huffman.h"

namespace plenx::deflate {
namespace {

struct BuiltCode {
  std::vector<uint16_t> lengths;
  int maxCode = -1;
  int64_t dynamicBits = 0;
  const char* error = nullptr;
};

// Builds a code for counts (one per symbol, no extra bits) with the given
// depth limit.
BuiltCode Build(const std::vector<uint16_t>& symbolCounts, int maxLength) {
  const int symbolCount = static_cast<int>(symbolCounts.size());
  const size_t nodes = 2 * symbolCounts.size() + 1;
  std::vector<uint16_t> counts(nodes), codes(nodes), lengths(nodes), parents(nodes);
  std::copy(symbolCounts.begin(), symbolCounts.end(), counts.begin());
  static const uint8_t kNoExtraBits[kHeapSize] = {};
  HuffmanTree tree{counts.data(), codes.data(), lengths.data(), parents.data(), nullptr, kNoExtraBits, 0,
                   symbolCount,   maxLength};
  HuffmanWork work;
  DeflateError error;
  int64_t dynamicBits = 0;
  int64_t fixedBits = 0;
  BuildHuffmanTree(tree, work, dynamicBits, fixedBits, error);
  return {std::vector<uint16_t>(lengths.begin(), lengths.begin() + symbolCount), tree.maxCode, dynamicBits,
          error.message};
}

// Kraft sum in units of 2^-15: exactly 2^15 for a complete prefix code.
int64_t KraftUnits(const std::vector<uint16_t>& lengths) {
  int64_t units = 0;
  for (const uint16_t length : lengths) {
    if (length != 0) units += int64_t{1} << (kMaxCodeBits - length);
  }
  return units;
}

std::vector<uint16_t> Fibonacci(int count) {
  std::vector<uint16_t> values{1, 1};
  while (static_cast<int>(values.size()) < count) values.push_back(values.end()[-1] + values.end()[-2]);
  return values;
}

TEST(DeflateHuffmanTest, DepthLimitKeepsTheCodeCompleteAndAddsTheBitsOfLongerCodes) {
  struct Case {
    const char* name;
    std::vector<uint16_t> counts;
    int maxLength;
  };
  // Fibonacci counts make a tree as deep as it has symbols, several levels
  // past the limit, with inner nodes past the limit too.
  std::vector<uint16_t> literalAlphabet(kLiteralLengthCodes, 0);
  const std::vector<uint16_t> fibonacci20 = Fibonacci(20);
  std::copy(fibonacci20.begin(), fibonacci20.end(), literalAlphabet.begin() + 'a');
  std::vector<uint16_t> codeLengthAlphabet = Fibonacci(kCodeLengthCodes);

  const std::vector<Case> cases = {
      {"LiteralsNineteenDeep", literalAlphabet, kMaxCodeBits},
      {"CodeLengthsEighteenDeep", codeLengthAlphabet, kMaxCodeLengthCodeBits},
      {"CodeLengthsEightDeep", Fibonacci(9), kMaxCodeLengthCodeBits},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BuiltCode code = Build(c.counts, c.maxLength);
    EXPECT_EQ(code.error, nullptr);
    EXPECT_EQ(KraftUnits(code.lengths), int64_t{1} << kMaxCodeBits);
    int64_t bits = 0;
    for (size_t n = 0; n < c.counts.size(); ++n) {
      EXPECT_LE(code.lengths[n], c.maxLength);
      EXPECT_EQ(code.lengths[n] != 0, c.counts[n] != 0) << "symbol " << n;
      bits += int64_t{c.counts[n]} * code.lengths[n];
      // Rarer symbols never get shorter codes than more frequent ones.
      for (size_t m = 0; m < c.counts.size(); ++m) {
        if (c.counts[n] != 0 && c.counts[m] > c.counts[n]) {
          EXPECT_GE(code.lengths[n], code.lengths[m]);
        }
      }
    }
    EXPECT_EQ(code.dynamicBits, bits);
  }
}

TEST(DeflateHuffmanTest, FewerThanTwoSymbolsGetDummiesThatCostNoBits) {
  struct Case {
    const char* name;
    std::vector<uint16_t> counts;
    std::vector<uint16_t> expectedLengths;
    int expectedMaxCode;
    int64_t expectedBits;
  };
  const std::vector<Case> cases = {
      // No symbol: 0 and 1 are added.
      {"NoSymbol", {0, 0, 0, 0}, {1, 1, 0, 0}, 1, 0},
      // Only symbol 1: symbol 2 is added (highest so far below 2).
      {"OnlySymbolOne", {0, 7, 0, 0}, {0, 1, 1, 0}, 2, 7},
      // Only symbol 3: symbol 0 is added.
      {"OnlySymbolThree", {0, 0, 0, 7}, {1, 0, 0, 1}, 3, 7},
      {"TwoSymbols", {5, 0, 9, 0}, {1, 0, 1, 0}, 2, 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BuiltCode code = Build(c.counts, kMaxCodeBits);
    EXPECT_EQ(code.error, nullptr);
    EXPECT_EQ(code.lengths, c.expectedLengths);
    EXPECT_EQ(code.maxCode, c.expectedMaxCode);
    EXPECT_EQ(code.dynamicBits, c.expectedBits);
  }
}

}  // namespace
}  // namespace plenx::deflate
