// Builds the length/distance code tables and the fixed Huffman codes.
#include "archive/deflate_code_tables.h"

namespace plenx::deflate {

void GenerateCanonicalCodes(uint16_t* codes, const uint16_t* lengths, int maxCode,
                            const uint16_t (&lengthCounts)[kMaxCodeBits + 1], DeflateError& error) {
  uint16_t nextCode[kMaxCodeBits + 1] = {};
  unsigned code = 0;
  for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
    code = (code + lengthCounts[bits - 1]) << 1;
    nextCode[bits] = static_cast<uint16_t>(code);
  }
  if (code + lengthCounts[kMaxCodeBits] - 1 != (1u << kMaxCodeBits) - 1) {
    error.Fail("a Huffman code that is not complete");
  }
  for (int n = 0; n <= maxCode; ++n) {
    const int length = lengths[n];
    if (length == 0) continue;
    codes[n] = static_cast<uint16_t>(ReverseBits(nextCode[length]++, length));
  }
}

void BuildCodeTables(CodeTables& tables, DeflateError& error) {
  unsigned length = 0;
  int code = 0;
  for (code = 0; code < kLengthCodes - 1; ++code) {
    tables.lengthBase[code] = static_cast<uint16_t>(length);
    for (unsigned n = 0; n < (1u << kLengthExtraBits[code]); ++n) {
      if (length < 256) tables.lengthCode[length] = static_cast<uint8_t>(code);
      ++length;
    }
  }
  if (length != 256) error.Fail("the length codes do not fill their table");
  // Length 258 (index 255) has a code of its own although 227 + 31 would
  // also reach it; the last code replaces the entry.
  tables.lengthBase[kLengthCodes - 1] = 255;
  tables.lengthCode[255] = static_cast<uint8_t>(code);

  unsigned distance = 0;
  for (code = 0; code < 16; ++code) {
    tables.distanceBase[code] = static_cast<uint16_t>(distance);
    for (unsigned n = 0; n < (1u << kDistanceExtraBits[code]); ++n) {
      if (distance < 256) tables.distanceCode[distance] = static_cast<uint8_t>(code);
      ++distance;
    }
  }
  if (distance != 256) error.Fail("the distance codes up to 256 do not fill their table");
  distance >>= 7;  // from here on, distances in units of 128
  for (; code < kDistanceCodes; ++code) {
    tables.distanceBase[code] = static_cast<uint16_t>(distance << 7);
    for (unsigned n = 0; n < (1u << (kDistanceExtraBits[code] - 7)); ++n) {
      if (distance < 256) tables.distanceCode[256 + distance] = static_cast<uint8_t>(code);
      ++distance;
    }
  }
  if (distance != 256) error.Fail("the distance codes beyond 256 do not fill their table");

  uint16_t lengthCounts[kMaxCodeBits + 1] = {};
  int n = 0;
  for (; n <= 143; ++n) tables.fixedLiteralLength[n] = 8;
  for (; n <= 255; ++n) tables.fixedLiteralLength[n] = 9;
  for (; n <= 279; ++n) tables.fixedLiteralLength[n] = 7;
  for (; n <= 287; ++n) tables.fixedLiteralLength[n] = 8;
  for (n = 0; n < kFixedLiteralLengthCodes; ++n) ++lengthCounts[tables.fixedLiteralLength[n]];
  GenerateCanonicalCodes(tables.fixedLiteralCode, tables.fixedLiteralLength, kFixedLiteralLengthCodes - 1,
                         lengthCounts, error);
  for (n = 0; n < kDistanceCodes; ++n) {
    tables.fixedDistanceLength[n] = 5;
    tables.fixedDistanceCode[n] = static_cast<uint16_t>(ReverseBits(n, 5));
  }
}

}  // namespace plenx::deflate
