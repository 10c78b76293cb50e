// With worker threads evaluating segments from a guessed state, the stream
// is the one a single search thread writes, whether the guess meets the
// truth at once, late or never, whatever the input does at the segments'
// edges and whichever worker finishes first; workers are reused across
// entries and take input in any pieces.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "archive/deflate_speculation.h"
#include "tests/archive/deflate_test_inputs.h"
#include "tests/archive/deflate_test_support.h"

namespace plenx::deflate_test {
namespace {

using plenx::deflate::kMinLastSegmentBytes;
using plenx::deflate::kSegmentBytes;
using plenx::deflate::kSegmentExtensionBytes;
using plenx::deflate::kSegmentOverrunBytes;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Noise with a copy of bytes from distance back at every offset in offsets,
// length bytes long: a match a worker's evaluation starts inside of.
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

// Text with a run of one byte from 1000 bytes before each segment start to
// runBytes after it: the guess and the truth code the run in 258-byte
// matches out of step, and meet only where the text resumes.
Bytes RunsOverSegmentStarts(size_t segments, size_t runBytes) {
  Bytes bytes = TelemetryLog(segments * kSegmentBytes, 42);
  bytes.resize(segments * kSegmentBytes);
  for (size_t segment = 1; segment + 1 < segments; ++segment) {
    const size_t from = segment * kSegmentBytes - 1000;
    std::fill_n(bytes.begin() + static_cast<long>(from), 1000 + runBytes, 'z');
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
  // A worker takes the last segment up to the overrun before the input's
  // end when it holds kMinLastSegmentBytes.
  const size_t lastSegment = 2 * s + kMinLastSegmentBytes + kSegmentOverrunBytes;
  return {
      {"TelemetryLog", TelemetryLog(3 * s, 50)},
      {"NoisyTelemetryLog", NoisyTelemetryLog(3 * s, 51)},
      {"MixedCorpus", MixedCorpus(3 * s, 52)},
      // No matches: every position is a place to meet.
      {"RandomBytes", RandomBytes(3 * s, 53)},
      // One long run over several segments: 258-byte matches straddle every
      // segment start and the evaluations never meet; the compressor codes
      // the run itself.
      {"OneLongRun", Concat({RandomBytes(1000, 54), Bytes(3 * s, 'z'), RandomBytes(1000, 55)})},
      // They meet past the extension, or just inside it.
      {"MeetingPastTheExtension", RunsOverSegmentStarts(3, kSegmentExtensionBytes + 5000)},
      {"MeetingAtTheExtensionsEnd", RunsOverSegmentStarts(3, kSegmentExtensionBytes - 300)},
      // Matches of 200 bytes that begin 100 bytes before each segment start.
      {"MatchesAcrossSegmentStarts", CopiesAcross({s, 2 * s}, 3 * s, 200, 5000)},
      // A worker's search at its segment's first byte reaches as far back as any.
      {"MatchesAtTheLargestDistanceFromSegmentStarts", TokensAtTheLargestDistance({s, 2 * s}, 3 * s)},
      // Where the input ends decides whether the last segment is a worker's,
      // and how far it evaluates it.
      {"LastSegmentOneByteTooShortForAWorker", Prefix(TelemetryLog(lastSegment, 56), lastSegment - 1)},
      {"LastSegmentJustLongEnoughForAWorker", Prefix(TelemetryLog(lastSegment, 57), lastSegment)},
      {"EndsInsideTheExtension", MixedCorpus(2 * s + kSegmentExtensionBytes - 500, 59)},
      {"EndsJustPastTheExtensionAndOverrun",
       MixedCorpus(2 * s + kSegmentExtensionBytes + kSegmentOverrunBytes + 1, 58)},
  };
}

TEST(DeflateSpeculationTest, WorkersWriteTheStreamOfOneThread) {
  DeflateCompressor oneThread(1);
  DeflateCompressor workers(3);  // reused for every entry
  for (const SpeculationCase& speculationCase : SpeculationCases()) {
    SCOPED_TRACE(speculationCase.name);
    const Compressed expected = CompressBytes(oneThread, speculationCase.input);
    const Compressed actual = CompressBytes(workers, speculationCase.input);
    EXPECT_EQ(actual.error, "");
    EXPECT_EQ(actual.returnedSize, actual.stream.size());
    EXPECT_EQ(actual.stream.size(), expected.stream.size());
    EXPECT_TRUE(actual.stream == expected.stream);
  }
}

TEST(DeflateSpeculationTest, SmallEntriesBetweenLargeOnesAndInputInPiecesChangeNothing) {
  DeflateCompressor oneThread(1);
  DeflateCompressor workers(2);
  const Bytes large = MixedCorpus(3 * kSegmentBytes, 60);
  const Bytes small = TelemetryLog(30000, 61);
  const Bytes expectedLarge = CompressBytes(oneThread, large).stream;
  const Bytes expectedSmall = CompressBytes(oneThread, small).stream;
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(CompressBytes(workers, large).stream == expectedLarge);
    EXPECT_TRUE(CompressBytes(workers, small).stream == expectedSmall);
  }
  // The input is read ahead in full pieces: reads that deliver little at a
  // time give the stream of reads that deliver all they can.
  for (const uint32_t piece : {1000u, 65537u}) {
    SCOPED_TRACE(piece);
    EXPECT_TRUE(CompressBytes(workers, large, piece).stream == expectedLarge);
  }
}

TEST(DeflateSpeculationTest, ALaterSegmentFinishingFirstChangesNothing) {
  // The worker of segment 1 is held until segment 3 has started, so
  // segments finish out of order and the compressor waits for segment 1.
  std::mutex mutex;
  std::condition_variable changed;
  uint64_t furthestStarted = 0;
  const auto segmentStarts = [&](uint64_t segment) {
    std::unique_lock<std::mutex> lock(mutex);
    furthestStarted = std::max(furthestStarted, segment);
    changed.notify_all();
    if (segment == 1) changed.wait(lock, [&] { return furthestStarted >= 3; });
  };
  plenx::deflate::SpeculativeSearch speculation(segmentStarts);
  const Bytes input = TelemetryLog(5 * kSegmentBytes, 63);
  size_t offset = 0;
  const DeflateCompressor::ReadFunction read = [&](uint8_t* buffer, uint32_t count) -> uint32_t {
    const size_t n = std::min<size_t>(count, input.size() - offset);
    std::copy_n(input.begin() + static_cast<long>(offset), n, buffer);
    offset += n;
    return static_cast<uint32_t>(n);
  };
  speculation.BeginEntry(plenx::deflate::kLevelConfigs[DeflateCompressor::kZipLevel], read, 3);
  ASSERT_EQ(speculation.ActiveWorkers(), 3u);
  // Every segment is finished by the time the compressor asks for it, and
  // covers the input from its start on.
  for (uint64_t segment = 0; segment < 4; ++segment) {
    SCOPED_TRACE(segment);
    const plenx::deflate::SpeculatedSegment* evaluated = speculation.SegmentAt(segment * kSegmentBytes);
    ASSERT_NE(evaluated, nullptr);
    EXPECT_EQ(evaluated->Start(), segment * kSegmentBytes);
    EXPECT_TRUE(evaluated->Meets(segment * kSegmentBytes, false));
    EXPECT_GE(evaluated->End(), (segment + 1) * kSegmentBytes + kSegmentExtensionBytes);
  }
  // The last segment is a worker's too, up to the overrun before the end.
  const plenx::deflate::SpeculatedSegment* last = speculation.SegmentAt(4 * kSegmentBytes);
  ASSERT_NE(last, nullptr);
  EXPECT_GE(last->End(), input.size() - kSegmentOverrunBytes);
  EXPECT_LT(last->End(), input.size() - kSegmentOverrunBytes + 1000);
  std::vector<uint8_t> buffer(65536);
  while (speculation.ReadForWindow(buffer.data(), static_cast<uint32_t>(buffer.size())) != 0) {
  }
  speculation.EndEntry();
  EXPECT_GE(furthestStarted, 3u);
}

TEST(DeflateSpeculationTest, AnEntryEndedByAFailedReadKeepsWhatCameBefore) {
  if (!HaveProgram("python3")) GTEST_SKIP() << "needs python3 as checker";
  DeflateCompressor workers(2);
  const Bytes input = TelemetryLog(4 * kSegmentBytes, 62);
  const size_t delivered = 2 * kSegmentBytes + 12345;
  size_t offset = 0;
  Bytes stream;
  uint16_t flags = 0;
  std::string error;
  workers.Compress(
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
  DeflateCompressor oneThread(1);
  EXPECT_TRUE(stream == CompressBytes(oneThread, kept).stream);
}

}  // namespace
}  // namespace plenx::deflate_test
