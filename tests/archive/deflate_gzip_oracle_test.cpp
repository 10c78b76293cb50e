// Every stream, with one search thread or with workers, is byte-for-byte the raw
// deflate data gzip -8 writes for the same bytes, and inflates back to them;
// the inputs are built to reach the compressor's block cuts, window slides,
// match rules and search shortcuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/archive/deflate_test_inputs.h"
#include "tests/archive/deflate_test_support.h"

namespace plenx::deflate_test {
namespace {

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Bytes from a 64-value alphabet: Huffman coding pays, three-byte repeats
// within 4096 bytes are rare.
Bytes SixBitNoise(size_t count, uint64_t seed) {
  Random random(seed);
  Bytes bytes(count);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(0x20 + random.Below(64));
  return bytes;
}

// Noise holding the token at two places distance apart, so the second copy
// can only be coded as a 3-byte match at that distance (the token's bytes do
// not occur in the noise).
Bytes TokenAtDistance(unsigned distance, uint64_t seed) {
  Bytes bytes = SixBitNoise(3 * distance, seed);
  const uint8_t token[3] = {0xF0, 0xF1, 0xF2};
  std::copy(token, token + 3, bytes.begin() + 1000);
  std::copy(token, token + 3, bytes.begin() + 1000 + distance);
  return bytes;
}

// Noise with bit 4 clear holding an 8-byte token, whose bytes all have it
// set, at two places distance apart. Bit 4 of a string's first byte is bit 14
// of its hash, so no noise string shares a chain with the token's strings:
// the earlier copy is the chain head, the one candidate a search visits at
// the largest distance.
Bytes LongTokenAtDistance(unsigned distance, uint64_t seed) {
  Random random(seed);
  Bytes bytes(3 * distance);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((0x20 + random.Below(64)) & ~0x10);
  const uint8_t token[8] = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7};
  std::copy(token, token + 8, bytes.begin() + 1000);
  std::copy(token, token + 8, bytes.begin() + 1000 + distance);
  return bytes;
}

// Random bytes, then copies of earlier bytes (3 to maxCopyBytes + 2 long,
// from up to maxDistance back), each after 0 to 2 random bytes: about as
// many matches as literals, so the 4096-symbol estimate sits near its limits.
Bytes LiteralsBetweenCopies(size_t sizeBytes, uint64_t seed, uint32_t maxCopyBytes, uint32_t maxDistance) {
  Random random(seed);
  Bytes bytes = RandomBytes(64, seed);
  while (bytes.size() < sizeBytes) {
    for (uint32_t n = random.Below(3); n > 0; --n) bytes.push_back(static_cast<uint8_t>(random.Next()));
    const size_t length = 3 + random.Below(maxCopyBytes);
    const size_t distance =
        1 + random.Below(std::min<uint32_t>(maxDistance, static_cast<uint32_t>(bytes.size())));
    for (size_t i = 0; i < length; ++i) {
      const uint8_t copied = bytes[bytes.size() - distance];
      bytes.push_back(copied);
    }
  }
  bytes.resize(sizeBytes);
  return bytes;
}

// Text of sizeBytes whose last tailBytes repeat an earlier unique string:
// the input ends after the last position that may start a search.
Bytes RepeatAtEnd(size_t sizeBytes, size_t tailBytes) {
  Bytes bytes = TelemetryLog(sizeBytes, 5);
  bytes.resize(sizeBytes - tailBytes);
  const Bytes unique = RandomBytes(tailBytes, 6);
  std::copy(unique.begin(), unique.end(), bytes.begin() + 50000);
  bytes.insert(bytes.end(), unique.begin(), unique.end());
  return bytes;
}

// Telemetry lines as the simulator's records look: mostly runs of "0,"
// between a few values, so thousands of positions share their first bytes
// and the chain budget ends most searches.
Bytes ZeroRunLog(size_t sizeBytes, uint64_t seed) {
  Random random(seed);
  std::string log;
  while (log.size() < sizeBytes) {
    log += "2026/03/07-08:00:00.000   -   ";
    for (int value = 0; value < 229; ++value) {
      log += random.Below(8) == 0 ? std::to_string(random.Below(2000)) + "," : "0,";
    }
    log += "\r\n";
  }
  log.resize(sizeBytes);
  return Text(log);
}

// Words in random letter case: "Abc" and "abc" share a three-byte hash, so
// the chains hold many strings that differ in their first bytes, and they
// count against the chain budget all the same.
Bytes CaseScrambledWords(size_t sizeBytes, uint64_t seed) {
  static const char* const kWords[] = {"compressor",  "outdoor", "indoor", "valve", "defrost", "pump",
                                       "temperature", "fault",   "fan",    "coil",  "water",   "mode"};
  Random random(seed);
  Bytes text;
  while (text.size() < sizeBytes) {
    for (const char* letter = kWords[random.Below(12)]; *letter != '\0'; ++letter) {
      text.push_back(static_cast<uint8_t>(random.Below(2) == 0 ? *letter : *letter - 'a' + 'A'));
    }
    text.push_back(random.Below(4) == 0 ? '\n' : ' ');
  }
  text.resize(sizeBytes);
  return text;
}

// Lines that share prefixes of 4 to 40 bytes and then differ: the search
// moves from the four-byte to the eight- and sixteen-byte prefix chains at
// every length in between.
Bytes DivergingPrefixes(size_t sizeBytes, uint64_t seed) {
  Random random(seed);
  const std::string stem = "Outdoor.Compressor.Discharge.Temperature.Sensor.";
  std::string text;
  while (text.size() < sizeBytes) {
    text += stem.substr(0, 4 + random.Below(37));
    text += std::to_string(random.Below(100000));
    text += random.Below(3) == 0 ? "\n" : ";";
  }
  text.resize(sizeBytes);
  return Text(text);
}

struct OracleCase {
  const char* name;
  Bytes input;
};

std::vector<OracleCase> OracleCases() {
  return {
      {"Empty", {}},
      {"OneByte", Text("x")},
      {"Abc", Text("abc")},
      {"ShortText", Text("Plenx Logger writes a log line per record; the log line holds the record, "
                         "and the record holds 229 values. Plenx Logger writes a log line per record.\n")},
      {"TelemetryLogSeveralMegabytes", TelemetryLog(3 << 20, 1)},
      // Stored blocks, each cut at the 32767-symbol limit.
      {"RandomBytes", RandomBytes(200000, 2)},
      // Noise, zeros, noise: the 4096-symbol estimate cuts the first block
      // just below 32768; the second, noise that a stored block would hold most compactly,
      // has slid out of the window by the time it is cut.
      {"BlockStartSlidOutOfWindow",
       Concat({RandomBytes(12000, 21), Bytes(20440, 0), RandomBytes(40000, 22)})},
      {"LongRunsOfOneByte", Concat({Bytes(300000, 'a'), Bytes(70000, 'b'), Bytes(100000, 0)})},
      // Slides many times; some blocks need their code lengths limited.
      {"MixedCorpusSlidingManyTimes", MixedCorpus(1500000, 3)},
      // Literal-heavy: blocks end at the 32767-symbol limit.
      {"FourLetterAlphabet",
       [] {
         Random random(4);
         Bytes bytes(300000);
         for (uint8_t& byte : bytes) byte = "ACGT"[random.Below(4)];
         return bytes;
       }()},
      {"ThreeByteMatchAtDistance4096", TokenAtDistance(4096, 7)},
      {"ThreeByteMatchAtDistance4097", TokenAtDistance(4097, 8)},
      {"ThreeByteMatchAtDistance4095", TokenAtDistance(4095, 9)},
      {"MatchAtLargestDistance", LongTokenAtDistance(32506, 10)},
      {"MatchBeyondLargestDistance", LongTokenAtDistance(32507, 11)},
      // Ties and limits of the block choices; the seeds were picked to hit
      // them exactly. Fixed and dynamic coding take the same number of bytes:
      {"FixedAndDynamicCodesSameSize", SixBitNoise(86, 2)},
      // A stored block (25 + 4 bytes) is exactly as small as the best code:
      {"StoredBlockAsSmallAsTheBestCode", RandomBytes(25, 3)},
      // At 4096 symbols the estimate is exactly half of an odd block length:
      {"EstimateIsHalfTheBlockRoundedDown", LiteralsBetweenCopies(12500, 441, 5, 80)},
      // At 4096 symbols exactly half of the symbols are matches:
      {"MatchesAreExactlyHalfTheSymbols", LiteralsBetweenCopies(60000, 240, 12, 60)},
      // Ends in a run: the last match search counts on into the zeros and
      // older bytes past the data, which decide between equal candidates.
      {"MatchRunsIntoBytesPastTheEnd", MixedCorpus(20000, 3)},
      {"EndsJustPastLastSearchPosition", RepeatAtEnd(65300, 20)},
      {"EndsAtWindowEnd", RepeatAtEnd(65536, 40)},
      {"EndsOneByteAfterWindowEnd", RepeatAtEnd(65537, 40)},
      {"EndsWithinLookaheadAfterSlide", RepeatAtEnd(65274 + 32768 + 100, 30)},
      // The search index against long chains, colliding hashes and prefixes
      // of every length; copies of 3 to 302 bytes, each after 0 to 2 other
      // bytes, reach the lazy evaluation's limits (32, 128, 258) on both sides.
      {"RunsOfZeroValuesWithLongChains", ZeroRunLog(700000, 30)},
      {"ThreeByteHashesSharedByOtherStrings", CaseScrambledWords(400000, 31)},
      {"PrefixesDivergingAtEveryLength", DivergingPrefixes(400000, 32)},
      {"CopiesOfEveryLengthUpToTheLongestMatch", LiteralsBetweenCopies(600000, 33, 300, 32768)},
  };
}

class DeflateGzipOracleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveProgram("gzip") || !HaveProgram("python3")) GTEST_SKIP() << "needs gzip and python3 as checkers";
  }
};

TEST_F(DeflateGzipOracleTest, StreamEqualsGzipRawDeflateAndInflatesBack) {
  // One object per search mode for all inputs, as a ZIP writer reuses it;
  // workers take the inputs of more than a segment.
  DeflateCompressor oneThread(1);
  DeflateCompressor threeWorkers(3);
  for (const OracleCase& oracleCase : OracleCases()) {
    SCOPED_TRACE(oracleCase.name);
    const Bytes expected = GzipRawDeflate(oracleCase.input);
    ASSERT_FALSE(expected.empty());
    for (DeflateCompressor* compressor : {&oneThread, &threeWorkers}) {
      SCOPED_TRACE(compressor == &oneThread ? "one search thread" : "three workers");
      const Compressed compressed = CompressBytes(*compressor, oracleCase.input);
      EXPECT_EQ(compressed.error, "");
      EXPECT_EQ(compressed.returnedSize, compressed.stream.size());
      EXPECT_EQ(compressed.stream.size(), expected.size());
      EXPECT_TRUE(compressed.stream == expected);
    }
    EXPECT_TRUE(InflatesTo(CompressBytes(oneThread, oracleCase.input).stream, oracleCase.input));
  }
}

}  // namespace
}  // namespace plenx::deflate_test
