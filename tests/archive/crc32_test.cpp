// CRC-32 of the ZIP format: published check values, and agreement with a
// bit-at-a-time reference over every split and alignment of the input and
// at the lengths where 64-byte folding takes over from the tables.
#include "archive/crc32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

uint32_t CrcOfText(const std::string& text) {
  return Crc32Update(0, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The textbook definition, one bit at a time: independent of the tables.
uint32_t BitwiseCrc32(const std::vector<uint8_t>& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

TEST(Crc32, MatchesPublishedCheckValues) {
  struct Case {
    const char* name;
    std::string text;
    uint32_t crc;
  };
  // Check values of the CRC-32 used by ZIP, gzip and PNG.
  const Case cases[] = {
      {"Empty", "", 0x00000000u},
      {"Digits", "123456789", 0xCBF43926u},
      {"Pangram", "The quick brown fox jumps over the lazy dog", 0x414FA339u},
      {"OneZeroByte", std::string(1, '\0'), 0xD202EF8Du},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CrcOfText(c.text), c.crc) << c.name;
  }
}

std::vector<uint8_t> NoiseBytes(size_t count) {
  std::vector<uint8_t> data(count);
  uint32_t state = 7;
  for (uint8_t& byte : data) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<uint8_t>(state >> 24);
  }
  return data;
}

TEST(Crc32, LengthsAroundTheFoldedBlocksMatchTheDefinition) {
  for (const size_t length : {255u, 256u, 257u, 319u, 320u, 321u, 4113u, 65536u, 1000003u}) {
    const std::vector<uint8_t> data = NoiseBytes(length);
    EXPECT_EQ(Crc32Update(0, data.data(), data.size()), BitwiseCrc32(data)) << length;
  }
}

TEST(Crc32, AnySplitAndAlignmentGivesTheWholeResult) {
  // Long enough for both pieces of most splits to be folded.
  const std::vector<uint8_t> data = NoiseBytes(600);
  const uint32_t expected = BitwiseCrc32(data);
  EXPECT_EQ(Crc32Update(0, data.data(), data.size()), expected);
  for (size_t split = 0; split <= data.size(); ++split) {
    const uint32_t first = Crc32Update(0, data.data(), split);
    ASSERT_EQ(Crc32Update(first, data.data() + split, data.size() - split), expected) << "split at " << split;
  }
  // Unaligned starts: copy to every offset of a buffer and check the tail.
  std::vector<uint8_t> shifted(data.size() + 8);
  for (size_t offset = 1; offset < 8; ++offset) {
    std::memcpy(shifted.data() + offset, data.data(), data.size());
    EXPECT_EQ(Crc32Update(0, shifted.data() + offset, data.size()), expected) << offset;
  }
}

}  // namespace
