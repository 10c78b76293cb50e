// Frame decoder, record text and frame encoder against the wire format's
// worked examples and the stream situations a serial line produces.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "link/frame_decoder.h"
#include "link/frame_encoder.h"
#include "link/record_text.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Record {
  int unit;
  std::string text;
  bool operator==(const Record&) const = default;
};

// Feeds the bytes into a fresh decoder; an entry of -1 stands for an empty read.
std::vector<Record> Decode(int valueCount, const std::vector<int>& stream) {
  auto decoder = FrameDecoder::Create(valueCount);
  EXPECT_TRUE(decoder.has_value());
  std::vector<Record> records;
  for (const int item : stream) {
    if (item < 0) {
      decoder->Reset();
    } else if (decoder->PutByte(static_cast<uint8_t>(item))) {
      records.push_back({decoder->UnitIndex(), FormatRecordText(decoder->Values())});
    }
  }
  return records;
}

std::vector<int> Ints(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

std::vector<int> Repeat(std::vector<int> unit, int times) {
  std::vector<int> all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), unit.begin(), unit.end());
  return all;
}

std::string RepeatText(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += text;
  return all;
}

struct WorkedExample {
  const char* name;
  int valueCount;
  std::vector<int> bytes;
  Record expected;
};

class WorkedExamples : public testing::TestWithParam<WorkedExample> {};

TEST_P(WorkedExamples, DecodeToTheDocumentedRecord) {
  const WorkedExample& example = GetParam();
  EXPECT_EQ(Decode(example.valueCount, example.bytes), std::vector<Record>{example.expected});
}

INSTANTIATE_TEST_SUITE_P(
    FrameCodec, WorkedExamples,
    testing::Values(
        WorkedExample{
            "ThreeValues", 3, {0xFF, 0xF0, 0x7F, 0x7F, 0x7F, 0x80, 0x7F, 0x7E, 0x04, 0xED}, {0, "0,1,-1,"}},
        WorkedExample{
            "ValueByteFFIsData", 2, {0xFF, 0xF3, 0xFF, 0xFE, 0x00, 0x00, 0x03, 0xF2}, {3, "32767,-32512,"}},
        WorkedExample{"FourValues",
                      4,
                      {0xFF, 0xF1, 0x80, 0x80, 0x7F, 0x7D, 0x7F, 0xE3, 0x83, 0x6B, 0x06, 0x42},
                      {1, "256,-2,100,1000,"}},
        WorkedExample{"ChecksumIsMaskedTo15Bits",
                      64,
                      Concat({{0xFF, 0xF0}, Repeat({0xFF, 0xFE}, 64), {0x01, 0x30}}),
                      {0, RepeatText("32767,", 64)}},
        WorkedExample{"CanonicalChecksum", 1, {0xFF, 0xF0, 0x00, 0x0F, 0x02, 0x00}, {0, "-32497,"}},
        WorkedExample{
            "NonCanonicalChecksumOfEqualWorth", 1, {0xFF, 0xF0, 0x00, 0x0F, 0x01, 0xFF}, {0, "-32497,"}},
        WorkedExample{"PairFFFFIsMinus32768", 1, {0xFF, 0xF0, 0xFF, 0xFF, 0x03, 0xF0}, {0, "-32768,"}}),
    [](const auto& info) { return std::string(info.param.name); });

const std::vector<int> kThreeValueFrame = {0xFF, 0xF0, 0x7F, 0x7F, 0x7F, 0x80, 0x7F, 0x7E, 0x04, 0xED};
const Record kThreeValueRecord = {0, "0,1,-1,"};

TEST(FrameDecoder, RejectsBadFramesAndRecoversOnTheNext) {
  struct Case {
    const char* name;
    std::vector<int> stream;
    std::vector<Record> expected;
  };
  std::vector<int> badChecksum = kThreeValueFrame;
  badChecksum.back() = 0xEE;
  std::vector<int> body(kThreeValueFrame.begin() + 1, kThreeValueFrame.end());
  std::vector<int> unmaskedChecksum = Concat({{0xFF, 0xF0}, Repeat({0xFF, 0xFE}, 64), {0x81, 0xB0}});
  const std::vector<Case> cases = {
      {"back to back",
       Concat({kThreeValueFrame, kThreeValueFrame, kThreeValueFrame}),
       {kThreeValueRecord, kThreeValueRecord, kThreeValueRecord}},
      {"garbage before a frame", Concat({{0x00, 0x7F, 0xF0, 0xFE}, kThreeValueFrame}), {kThreeValueRecord}},
      {"checksum off by one", Concat({badChecksum, kThreeValueFrame}), {kThreeValueRecord}},
      {"two start bytes lose the frame",
       Concat({{0xFF}, kThreeValueFrame, kThreeValueFrame}),
       {kThreeValueRecord}},
      {"type F5", Concat({{0xFF, 0xF5}, std::vector<int>(body.begin() + 1, body.end())}), {}},
      {"type EF", Concat({{0xFF, 0xEF}, std::vector<int>(body.begin() + 1, body.end())}), {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(3, c.stream), c.expected) << c.name;
  }
  EXPECT_TRUE(Decode(64, unmaskedChecksum).empty());
}

TEST(FrameDecoder, EmptyReadDropsThePartialFrame) {
  // The rest of the dropped frame is skipped, but an 0xFF among it starts a
  // new frame: here the value pair FF FE of unit 3 becomes start + bad type.
  const std::vector<int> unit3 = {0xFF, 0xF3, 0xFF, 0xFE, 0x00, 0x00, 0x03, 0xF2};
  const std::vector<int> stream = Concat({{0xFF, 0xF3}, {-1}, {0xFF, 0xFE, 0x00, 0x00, 0x03, 0xF2}, unit3});
  EXPECT_EQ(Decode(2, stream), (std::vector<Record>{{3, "32767,-32512,"}}));

  // Without the empty read the same bytes form a complete frame.
  EXPECT_EQ(Decode(2, unit3).size(), 1u);
  // A reset between a frame's pairs loses only that frame.
  std::vector<int> cut = kThreeValueFrame;
  cut.insert(cut.begin() + 5, -1);
  EXPECT_EQ(Decode(3, Concat({cut, kThreeValueFrame})), std::vector<Record>{kThreeValueRecord});
}

TEST(FrameDecoder, RefusesValueCountsNoFrameCanCarry) {
  EXPECT_FALSE(FrameDecoder::Create(0).has_value());
  EXPECT_FALSE(FrameDecoder::Create(-5).has_value());
  // 2n + 4 bytes would overflow the byte counter.
  EXPECT_FALSE(FrameDecoder::Create(std::numeric_limits<int>::max()).has_value());
  EXPECT_FALSE(FrameDecoder::Create(std::numeric_limits<int>::max() / 2).has_value());
  EXPECT_FALSE(FrameDecoder::Create(plenx::frame::kMaxFrameValues + 1).has_value());
  ASSERT_TRUE(FrameDecoder::Create(1).has_value());
  EXPECT_EQ(FrameDecoder::Create(229)->Values().size(), 229u);
}

TEST(FrameEncoder, ProducesTheDocumentedPairsAndRoundTrips) {
  // Pairs from the value-encoding table.
  const std::vector<int16_t> values = {0, 1, -1, 255, 256, 1000, -1000, 32512, 32767, -32512};
  const Bytes frame = EncodeFrame(2, values);
  const Bytes expectedPairs = {0x7F, 0x7F, 0x7F, 0x80, 0x7F, 0x7E, 0x80, 0x7F, 0x80, 0x80,
                               0x83, 0x6B, 0x7B, 0x93, 0xFE, 0xFE, 0xFF, 0xFE, 0x00, 0x00};
  ASSERT_EQ(frame.size(), 2 * values.size() + 4);
  EXPECT_EQ(frame[0], 0xFF);
  EXPECT_EQ(frame[1], 0xF2);
  EXPECT_EQ(Bytes(frame.begin() + 2, frame.end() - 2), expectedPairs);
  EXPECT_EQ(Decode(10, Ints(frame)),
            (std::vector<Record>{{2, "0,1,-1,255,256,1000,-1000,32512,32767,-32512,"}}));

  // The worked example's checksum bytes come out of the encoder as well.
  EXPECT_EQ(Ints(EncodeFrame(0, std::vector<int16_t>{0, 1, -1})), kThreeValueFrame);
}

TEST(RecordText, WritesEveryValueWithItsComma) {
  EXPECT_EQ(FormatRecordText(std::vector<int16_t>{-32768, 32767, 0, -5, 42}), "-32768,32767,0,-5,42,");
  std::string reused = "12,";
  AppendRecordText(reused, std::vector<int16_t>{-3, 300});
  EXPECT_EQ(reused, "12,-3,300,");
}

}  // namespace
