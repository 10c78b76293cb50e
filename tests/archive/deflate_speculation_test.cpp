// With a helper thread searching segments ahead, the stream is the one a
// single search thread writes, whatever the input does at the segments'
// edges; the helper is reused across entries and takes input in any pieces.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "archive/deflate_speculation.h"
#include "testkit/deflate_test_inputs.h"
#include "tests/archive/deflate_test_support.h"

namespace plenx::deflate_test {
namespace {

using plenx::deflate::kLevelConfigs;
using plenx::deflate::kSegmentBytes;
using plenx::deflate::kSegmentOverrunBytes;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Noise with a copy of bytes from distance back at every offset in offsets,
// length bytes long: a match the helper's evaluation starts inside of.
Bytes CopiesAcross(const std::vector<uint64_t>& offsets, size_t sizeBytes, unsigned length,
                   unsigned distance) {
  Bytes bytes = RandomBytes(sizeBytes, 40);
  for (const uint64_t offset : offsets) {
    for (unsigned n = 0; n < length; ++n) bytes[offset - 100 + n] = bytes[offset - 100 + n - distance];
  }
  return bytes;
}

// Noise with bit 4 clear and, at each offset and kMaxDistance before it, an
// 8-byte token whose bytes have it set: no noise string shares the token's
// hash chain, so the earlier copy is the one candidate of a search at offset,
// at the largest distance a match may have.
Bytes TokensAtTheLargestDistance(const std::vector<uint64_t>& offsets, size_t sizeBytes) {
  Random random(41);
  Bytes bytes(sizeBytes);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((0x20 + random.Below(64)) & ~0x10);
  const uint8_t token[8] = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7};
  for (const uint64_t offset : offsets) {
    std::copy(token, token + 8, bytes.begin() + static_cast<long>(offset - plenx::deflate::kMaxDistance));
    std::copy(token, token + 8, bytes.begin() + static_cast<long>(offset));
  }
  return bytes;
}

Bytes Prefix(Bytes bytes, size_t count) {
  bytes.resize(count);
  return bytes;
}

struct SpeculationCase {
  const char* name;
  Bytes input;
};

std::vector<SpeculationCase> SpeculationCases() {
  const uint64_t s = kSegmentBytes;
  // The helper starts on the third segment and needs the input to go on
  // kSegmentOverrunBytes past a segment's end before it takes the segment.
  const size_t justEnough = 3 * s + kSegmentOverrunBytes;
  return {
      {"TelemetryLog", TelemetryLog(6 * s, 50)},
      {"NoisyTelemetryLog", NoisyTelemetryLog(6 * s, 51)},
      {"MixedCorpus", MixedCorpus(8 * s, 52)},
      // No matches: every position is a place to meet.
      {"RandomBytes", RandomBytes(6 * s, 53)},
      // One long run over several segments: 258-byte matches straddle every
      // segment start, so the evaluations meet only at a match's end.
      {"OneLongRun", Concat({RandomBytes(1000, 54), Bytes(7 * s, 'z'), RandomBytes(1000, 55)})},
      // Matches of 200 bytes that begin 100 bytes before each segment start.
      {"MatchesAcrossSegmentStarts", CopiesAcross({2 * s, 3 * s, 4 * s, 5 * s}, 6 * s, 200, 5000)},
      // A helper's search at its segment's first byte reaches as far back as any.
      {"MatchesAtTheLargestDistanceFromSegmentStarts",
       TokensAtTheLargestDistance({2 * s, 3 * s, 4 * s, 5 * s}, 6 * s)},
      // Where the input ends decides whether the last segments are the helper's.
      {"EndsOneByteShortOfTheHelpersFirstSegment", Prefix(TelemetryLog(justEnough, 56), justEnough - 1)},
      {"EndsJustWhereTheHelperMayStart", Prefix(TelemetryLog(justEnough, 57), justEnough)},
      {"EndsOneBytePastIt", Prefix(TelemetryLog(justEnough + 1, 58), justEnough + 1)},
      {"EndsInsideTheLastSegmentsOverrun", MixedCorpus(5 * s + 500, 59)},
  };
}

TEST(DeflateSpeculationTest, TwoSearchThreadsWriteTheStreamOfOne) {
  DeflateCompressor oneThread(DeflateCompressor::SearchThreads::kOne);
  DeflateCompressor twoThreads(DeflateCompressor::SearchThreads::kTwo);  // reused for every entry
  for (const SpeculationCase& speculationCase : SpeculationCases()) {
    SCOPED_TRACE(speculationCase.name);
    const Compressed expected = CompressBytes(oneThread, speculationCase.input);
    const Compressed actual = CompressBytes(twoThreads, speculationCase.input);
    EXPECT_EQ(actual.error, "");
    EXPECT_EQ(actual.returnedSize, actual.stream.size());
    EXPECT_EQ(actual.stream.size(), expected.stream.size());
    EXPECT_TRUE(actual.stream == expected.stream);
  }
}

TEST(DeflateSpeculationTest, SmallEntriesBetweenLargeOnesAndInputInPiecesChangeNothing) {
  DeflateCompressor oneThread(DeflateCompressor::SearchThreads::kOne);
  DeflateCompressor twoThreads(DeflateCompressor::SearchThreads::kTwo);
  const Bytes large = MixedCorpus(5 * kSegmentBytes, 60);
  const Bytes small = TelemetryLog(30000, 61);
  const Bytes expectedLarge = CompressBytes(oneThread, large).stream;
  const Bytes expectedSmall = CompressBytes(oneThread, small).stream;
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(CompressBytes(twoThreads, large).stream == expectedLarge);
    EXPECT_TRUE(CompressBytes(twoThreads, small).stream == expectedSmall);
  }
  // The helper's input is read ahead in full pieces: reads that deliver
  // little at a time give the stream of reads that deliver all they can.
  for (const uint32_t piece : {1000u, 65537u}) {
    SCOPED_TRACE(piece);
    EXPECT_TRUE(CompressBytes(twoThreads, large, piece).stream == expectedLarge);
  }
}

TEST(DeflateSpeculationTest, AHelperHeldUpNeverStopsTheInputOfTheWindow) {
  // The helper stops at its first segment until the window has read all the
  // input, as when other programs keep its core busy: the window still gets
  // every byte, and only then the end of the input.
  std::mutex mutex;
  std::condition_variable changed;
  bool helperHeld = false;
  bool released = false;
  plenx::deflate::SpeculativeSearch speculation([&](uint64_t) {
    std::unique_lock<std::mutex> lock(mutex);
    helperHeld = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
  });
  const Bytes input = RandomBytes(16 * kSegmentBytes, 63);
  size_t offset = 0;
  const DeflateCompressor::ReadFunction read = [&](uint8_t* buffer, uint32_t count) -> uint32_t {
    const size_t n = std::min<size_t>(count, input.size() - offset);
    std::copy_n(input.begin() + static_cast<long>(offset), n, buffer);
    offset += n;
    return static_cast<uint32_t>(n);
  };
  speculation.BeginEntry(kLevelConfigs[DeflateCompressor::kZipLevel], read);
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return helperHeld; });
  }
  Bytes windowInput;
  std::vector<uint8_t> buffer(65536);
  for (;;) {
    EXPECT_EQ(speculation.SegmentAt(windowInput.size()), nullptr);  // the held segment is not ready
    const uint32_t delivered = speculation.ReadForWindow(buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (delivered == 0) break;
    windowInput.insert(windowInput.end(), buffer.begin(), buffer.begin() + delivered);
  }
  {
    std::lock_guard<std::mutex> lock(mutex);
    released = true;
  }
  changed.notify_all();
  speculation.EndEntry();
  EXPECT_EQ(windowInput.size(), input.size());
  EXPECT_TRUE(windowInput == input);
}

TEST(DeflateSpeculationTest, AnEntryEndedByAFailedReadKeepsWhatCameBefore) {
  if (!HaveProgram("python3")) GTEST_SKIP() << "needs python3 as checker";
  DeflateCompressor twoThreads(DeflateCompressor::SearchThreads::kTwo);
  const Bytes input = TelemetryLog(6 * kSegmentBytes, 62);
  const size_t delivered = 4 * kSegmentBytes + 12345;
  size_t offset = 0;
  Bytes stream;
  uint16_t flags = 0;
  std::string error;
  twoThreads.Compress(
      DeflateCompressor::kZipLevel,
      [&](uint8_t* buffer, uint32_t count) -> uint32_t {
        if (offset >= delivered) return DeflateCompressor::kReadEndOfInput;
        const size_t n = std::min<size_t>(count, delivered - offset);
        std::copy_n(input.begin() + static_cast<long>(offset), n, buffer);
        offset += n;
        return static_cast<uint32_t>(n);
      },
      [&](const uint8_t* bytes, uint32_t count) { stream.insert(stream.end(), bytes, bytes + count); }, flags,
      error);
  EXPECT_EQ(error, "");
  const Bytes kept(input.begin(), input.begin() + static_cast<long>(delivered));
  EXPECT_TRUE(InflatesTo(stream, kept));
  DeflateCompressor oneThread(DeflateCompressor::SearchThreads::kOne);
  EXPECT_TRUE(stream == CompressBytes(oneThread, kept).stream);
}

}  // namespace
}  // namespace plenx::deflate_test
