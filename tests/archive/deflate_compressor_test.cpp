// DeflateCompressor's interface: exact small streams, the level mark, the
// size it reports, the pieces it hands over, reuse across entries and input
// delivered in small or odd pieces.
#include <gtest/gtest.h>

#include <string>

#include "tests/archive/deflate_test_inputs.h"
#include "tests/archive/deflate_test_support.h"

namespace plenx::deflate_test {
namespace {

TEST(DeflateCompressorTest, SmallInputsGiveTheShortestFixedCodeStreams) {
  // Empty: a final fixed-code block holding only the end-of-block code.
  EXPECT_EQ(CompressBytes({}).stream, (Bytes{0x03, 0x00}));
  // "abc": three literals and the end-of-block code beat a 7-byte stored block.
  EXPECT_EQ(CompressBytes({'a', 'b', 'c'}).stream, (Bytes{0x4B, 0x4C, 0x4A, 0x06, 0x00}));
}

TEST(DeflateCompressorTest, LevelEightAddsItsMarkAndKeepsOtherFlagBits) {
  DeflateCompressor compressor;
  uint16_t flags = 0x0008;
  std::string error = "stale";
  const uint64_t size = compressor.Compress(
      DeflateCompressor::kZipLevel, [](uint8_t*, uint32_t) -> uint32_t { return 0; },
      [](const uint8_t*, uint32_t) {}, flags, error);
  EXPECT_EQ(flags, 0x000A);
  EXPECT_EQ(error, "");
  EXPECT_EQ(size, 2u);
}

TEST(DeflateCompressorTest, LevelOutsideOneToEightIsReportedAndTheStreamStillCompletes) {
  DeflateCompressor compressor;
  const Bytes input = TelemetryLog(20000, 11);
  for (const int level : {0, 9, -1}) {
    SCOPED_TRACE(level);
    const Compressed compressed = CompressBytes(compressor, input, 0xFFFFFFFF, level);
    EXPECT_EQ(compressed.error, "compression level outside 1 to 8");
    EXPECT_TRUE(InflatesTo(compressed.stream, input));
  }
  // The next entry starts without the old message.
  EXPECT_EQ(CompressBytes(compressor, input).error, "");
}

TEST(DeflateCompressorTest, ReportedSizeIsEverythingHandedOverInPiecesOfAtMost16384) {
  const Bytes compressible = TelemetryLog(2 << 20, 12);
  const Compressed compressed = CompressBytes(compressible);
  EXPECT_EQ(compressed.returnedSize, compressed.stream.size());
  EXPECT_LE(compressed.largestPiece, 16384u);
  EXPECT_GT(compressed.stream.size(), 16384u);  // the buffer did fill and go out

  // Stored blocks go out straight from the window, larger than the buffer.
  const Compressed stored = CompressBytes(RandomBytes(100000, 13));
  EXPECT_EQ(stored.returnedSize, stored.stream.size());
  EXPECT_GT(stored.largestPiece, 16384u);
  EXPECT_LE(stored.largestPiece, 65535u);
}

TEST(DeflateCompressorTest, EarlierEntriesDoNotChangeTheNextEntrysStream) {
  const Bytes first = MixedCorpus(300000, 14);
  const Bytes second = TelemetryLog(70000, 15);
  DeflateCompressor reused;
  CompressBytes(reused, first);
  const Compressed afterOther = CompressBytes(reused, second);
  EXPECT_EQ(afterOther.stream, CompressBytes(second).stream);
  EXPECT_EQ(afterOther.error, "");
}

TEST(DeflateCompressorTest, InputInSmallPiecesOrEndedByAllBitsSetStillRoundTrips) {
  if (!HaveProgram("python3")) GTEST_SKIP() << "needs python3 as checker";
  const Bytes input = MixedCorpus(400000, 16);
  DeflateCompressor compressor;
  for (const uint32_t piece : {1u, 7u, 300u, 4096u}) {
    SCOPED_TRACE(piece);
    const Compressed compressed = CompressBytes(compressor, input, piece);
    EXPECT_EQ(compressed.error, "");
    EXPECT_TRUE(InflatesTo(compressed.stream, input));
  }

  // A failed read reports all bits set: the input ends with what came before.
  size_t offset = 0;
  Bytes stream;
  uint16_t flags = 0;
  std::string error;
  compressor.Compress(
      DeflateCompressor::kZipLevel,
      [&](uint8_t* buffer, uint32_t count) -> uint32_t {
        if (offset >= 100000) return DeflateCompressor::kReadEndOfInput;
        const uint32_t n = std::min<uint32_t>(count, 30000);
        std::copy_n(input.begin() + static_cast<long>(offset), n, buffer);
        offset += n;
        return n;
      },
      [&](const uint8_t* bytes, uint32_t count) { stream.insert(stream.end(), bytes, bytes + count); }, flags,
      error);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(InflatesTo(stream, Bytes(input.begin(), input.begin() + static_cast<long>(offset))));
}

}  // namespace
}  // namespace plenx::deflate_test
