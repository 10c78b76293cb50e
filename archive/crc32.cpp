// CRC-32 by folding 64 bytes at a time with carry-less multiplication where
// the processor has it, and slicing-by-8 (eight table lookups retire eight
// input bytes per step) for the rest.
#include "archive/crc32.h"

#include <array>

#if defined(__x86_64__)
#include <immintrin.h>
#define PLENX_CRC32_FOLDING 1
#endif

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

// The register after eight more bytes of data, the slicing step.
inline uint32_t SliceEight(uint32_t crc, const uint8_t* data) {
  const uint32_t low = LoadLittleEndian32(data) ^ crc;
  const uint32_t high = LoadLittleEndian32(data + 4);
  return kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
         kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
         kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
}

// The register after sizeBytes more bytes, by the tables.
uint32_t TableUpdate(uint32_t crc, const uint8_t* data, size_t sizeBytes) {
  while (sizeBytes >= kSliceCount) {
    crc = SliceEight(crc, data);
    data += kSliceCount;
    sizeBytes -= kSliceCount;
  }
  while (sizeBytes-- > 0) {
    crc = (crc >> 8) ^ kTables[0][(crc ^ *data++) & 0xFF];
  }
  return crc;
}

#ifdef PLENX_CRC32_FOLDING

// Bytes folded per step: four 128-bit lanes.
constexpr size_t kFoldBlockBytes = 64;
// Below this, the tables are as quick.
constexpr size_t kMinFoldBytes = 256;

// Folding constants, each x * (x^(e-1) mod P) with its coefficient of x^d at
// bit 64 - d, so that a carry-less product of a lane's half (its bit i the
// coefficient of x^(63-i)) lands where the lane 64 + F bits on expects it.
// For a lane moved on by F bits, its first half's constant has e = F + 64
// and its second half's e = F. Worked out with the polynomial 0x104C11DB7
// and checked against the tables.
constexpr uint64_t kFold512First = 0x653D982200000000ull;   // e = 576
constexpr uint64_t kFold512Second = 0xCAD38E8F00000000ull;  // e = 512
constexpr uint64_t kFold128First = 0x65673B4600000000ull;   // e = 192
constexpr uint64_t kFold128Second = 0x9BA54C6F00000000ull;  // e = 128

[[gnu::target("pclmul,sse2")]] inline __m128i Fold(__m128i lane, __m128i constants, __m128i next) {
  const __m128i first = _mm_clmulepi64_si128(lane, constants, 0x00);
  const __m128i second = _mm_clmulepi64_si128(lane, constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(first, second), next);
}

// The register after the blocks at data: the register joins the first four
// bytes, four lanes fold on 64 bytes at a time, the lanes fold into one, and
// the tables take that one's 16 bytes from a zero register (the lane is
// congruent to everything before, so its CRC is the whole's).
[[gnu::target("pclmul,sse2")]] uint32_t FoldBlocks(uint32_t crc, const uint8_t* data, size_t blocks) {
  const auto load = [](const uint8_t* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  };
  __m128i lanes[4] = {_mm_xor_si128(load(data), _mm_cvtsi32_si128(static_cast<int>(crc))), load(data + 16),
                      load(data + 32), load(data + 48)};
  const __m128i by512 =
      _mm_set_epi64x(static_cast<long long>(kFold512Second), static_cast<long long>(kFold512First));
  for (size_t block = 1; block < blocks; ++block) {
    data += kFoldBlockBytes;
    for (int lane = 0; lane < 4; ++lane) lanes[lane] = Fold(lanes[lane], by512, load(data + 16 * lane));
  }
  const __m128i by128 =
      _mm_set_epi64x(static_cast<long long>(kFold128Second), static_cast<long long>(kFold128First));
  __m128i folded = lanes[0];
  for (int lane = 1; lane < 4; ++lane) folded = Fold(folded, by128, lanes[lane]);
  alignas(16) uint8_t last[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(last), folded);
  return TableUpdate(0, last, sizeof last);
}

const bool kHaveCarrylessMultiply = __builtin_cpu_supports("pclmul");

#endif

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t sizeBytes) {
  // Callers hold the finished (complemented) value between pieces; undo the
  // complement to continue, which also makes 0 the value of "nothing yet".
  crc = ~crc;
#ifdef PLENX_CRC32_FOLDING
  if (sizeBytes >= kMinFoldBytes && kHaveCarrylessMultiply) {
    const size_t blocks = sizeBytes / kFoldBlockBytes;
    crc = FoldBlocks(crc, data, blocks);
    data += blocks * kFoldBlockBytes;
    sizeBytes -= blocks * kFoldBlockBytes;
  }
#endif
  return ~TableUpdate(crc, data, sizeBytes);
}
