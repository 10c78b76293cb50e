// Slicing-by-8 CRC-32: eight table lookups retire eight input bytes per step.
#include "archive/crc32.h"

#include <array>

namespace {

// Reversed form of the CRC-32 generator polynomial x^32 + x^26 + ... + 1.
constexpr uint32_t kCrc32Polynomial = 0xEDB88320u;
constexpr int kSliceCount = 8;

using Crc32Tables = std::array<std::array<uint32_t, 256>, kSliceCount>;

// Table 0 is the classic byte-at-a-time table; table k gives the effect of a
// byte followed by k zero bytes, so eight bytes combine by XOR.
constexpr Crc32Tables BuildTables() {
  Crc32Tables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? (crc >> 1) ^ kCrc32Polynomial : crc >> 1;
    }
    tables[0][byte] = crc;
  }
  for (int slice = 1; slice < kSliceCount; ++slice) {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      const uint32_t previous = tables[slice - 1][byte];
      tables[slice][byte] = (previous >> 8) ^ tables[0][previous & 0xFF];
    }
  }
  return tables;
}

constexpr Crc32Tables kTables = BuildTables();

// Reads four bytes as a little-endian number whatever the host order.
inline uint32_t LoadLittleEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t sizeBytes) {
  // Callers hold the finished (complemented) value between pieces; undo the
  // complement to continue, which also makes 0 the value of "nothing yet".
  crc = ~crc;
  while (sizeBytes >= kSliceCount) {
    const uint32_t low = LoadLittleEndian32(data) ^ crc;
    const uint32_t high = LoadLittleEndian32(data + 4);
    crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
          kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
          kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    data += kSliceCount;
    sizeBytes -= kSliceCount;
  }
  while (sizeBytes-- > 0) {
    crc = (crc >> 8) ^ kTables[0][(crc ^ *data++) & 0xFF];
  }
  return ~crc;
}
