// Length and distance code lookup tables and the fixed Huffman codes of RFC 1951.
#pragma once

#include <cstdint>

#include "archive/deflate_constants.h"
#include "archive/deflate_error.h"

namespace plenx::deflate {

struct CodeTables {
  // Length code (0..28, add 257 for the symbol) of a match length - 3.
  uint8_t lengthCode[256];
  // Distance code of distance - 1: entries 0..255 for distances up to 256,
  // entries 256..511 for (distance - 1) / 128 beyond.
  uint8_t distanceCode[512];
  // Smallest length - 3 and distance - 1 of each code.
  uint16_t lengthBase[kLengthCodes];
  uint16_t distanceBase[kDistanceCodes];
  // Fixed codes, bit-reversed for LSB-first output, and their lengths.
  uint16_t fixedLiteralCode[kFixedLiteralLengthCodes];
  uint16_t fixedLiteralLength[kFixedLiteralLengthCodes];
  uint16_t fixedDistanceCode[kDistanceCodes];
  uint16_t fixedDistanceLength[kDistanceCodes];
};

// Fills all tables; a table that does not cover its range fails with its
// own message ("the length codes do not fill their table", ...).
void BuildCodeTables(CodeTables& tables, DeflateError& error);

// Distance code of distance - 1 (0..32767).
inline unsigned DistanceCode(const CodeTables& tables, unsigned distanceMinusOne) {
  return distanceMinusOne < 256 ? tables.distanceCode[distanceMinusOne]
                                : tables.distanceCode[256 + (distanceMinusOne >> 7)];
}

// The lowest `length` bits of code in reverse order.
inline unsigned ReverseBits(unsigned code, int length) {
  unsigned reversed = 0;
  for (int i = 0; i < length; ++i) {
    reversed = (reversed << 1) | (code & 1);
    code >>= 1;
  }
  return reversed;
}

// Canonical codes (RFC 1951, 3.2.2) for symbols 0..maxCode from their lengths
// and the count of codes of each length; fails with "a Huffman code that is
// not complete" when the lengths do not form a complete code.
void GenerateCanonicalCodes(uint16_t* codes, const uint16_t* lengths, int maxCode,
                            const uint16_t (&lengthCounts)[kMaxCodeBits + 1], DeflateError& error);

}  // namespace plenx::deflate
