// The serial link end to end over pseudo-terminals: open and close, the
// reader thread, and the records it posts.
#include "link/simple_protocol.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cerrno>
#include <cstdint>
#include <set>
#include <thread>
#include <vector>

#include "link/frame_encoder.h"
#include "link/record_text.h"
#include "testkit/pty_line.h"
#include "testkit/record_queue.h"
#include "testkit/wait.h"

namespace {

// Long enough for any record to arrive on a loaded machine under sanitizers.
constexpr int kArrivalTimeoutMs = 10000;

int ThreadCount() {
  int count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(tasks)) {
      count += entry->d_name[0] != '.';
    }
    closedir(tasks);
  }
  return count;
}

// Values of frame number seq: the number itself first, then a spread over
// the encodable range that puts 0xFF digits and zero digits on the wire.
std::vector<int16_t> FrameValues(int seq, int valueCount) {
  static constexpr int16_t kSpread[] = {0, -1, 32767, -32512, 32513, 255, -1000, 1000};
  std::vector<int16_t> values(static_cast<size_t>(valueCount));
  values[0] = static_cast<int16_t>(seq);
  for (int i = 1; i < valueCount; ++i) {
    values[static_cast<size_t>(i)] = kSpread[(seq + i) % std::size(kSpread)];
  }
  return values;
}

// A link for valueCount values per frame on the slave of line.
void Prepare(CSimpleProtocol& link, const PtyLine& line, int valueCount) {
  link.SetValueCount(valueCount);
  link.SetPortName(line.SlavePath());
}

TEST(SimpleProtocolTest, PortNameBecomesDevicePath) {
  CSimpleProtocol link;
  EXPECT_EQ(link.PortName(), "COM1:");
  const struct {
    const char* name;
    const char* devicePath;
  } kCases[] = {
      {"COM1", "\\\\.\\COM1"},
      {"COM12", "\\\\.\\COM12"},
      {"COM24", "\\\\.\\COM24"},
      // Not "COM" and a positive number: kept as a device path.
      {"/dev/ttyUSB0", "/dev/ttyUSB0"},
      {"COM0", "COM0"},
      {"com3", "com3"},
  };
  for (const auto& c : kCases) {
    link.SetPortName(c.name);
    EXPECT_EQ(link.PortName(), c.devicePath) << c.name;
  }
}

TEST(SimpleProtocolTest, RefusedOpenStartsNoThreadAndHoldsNoPort) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const int threadsBefore = ThreadCount();

  CSimpleProtocol absent;
  absent.SetValueCount(3);
  absent.SetPortName("/dev/plenx-no-such-port");
  EXPECT_EQ(absent.Open(), -1);
  EXPECT_EQ(absent.LastOpenError(), ENOENT);

  // A value count below 1 is refused before the port is touched.
  CSimpleProtocol noValues;
  Prepare(noValues, line, 0);
  EXPECT_EQ(noValues.Open(), -1);
  EXPECT_EQ(noValues.LastOpenError(), 0);
  EXPECT_EQ(ThreadCount(), threadsBefore);

  // The refused link left the port free, and the absent one may still open
  // an existing port later.
  Prepare(absent, line, 3);
  EXPECT_EQ(absent.Open(), 0);
  EXPECT_EQ(ThreadCount(), threadsBefore + 1);
}

TEST(SimpleProtocolTest, SecondOpenOfSameDeviceFails) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  CSimpleProtocol first;
  CSimpleProtocol second;
  Prepare(first, line, 3);
  Prepare(second, line, 3);
  ASSERT_EQ(first.Open(), 0);
  EXPECT_EQ(second.Open(), -1);
  EXPECT_EQ(second.LastOpenError(), EBUSY);
  // A second Open of the running link would start a second reader.
  EXPECT_EQ(first.Open(), -1);
}

// Thousands of frames back to back, as fast as the line takes them: every
// record arrives, complete, in order, each a fresh object. Then Close ends
// the reader, so nothing is posted after it.
TEST(SimpleProtocolTest, RecordsArriveCompleteAndInOrderAndStopAtClose) {
  constexpr int kValueCount = 12;
  constexpr int kFrameCount = 3000;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  RecordQueue window;
  CSimpleProtocol link;
  Prepare(link, line, kValueCount);
  const int threadsBefore = ThreadCount();
  link.SetTarget(&window, WM_LINK_RECORD);
  ASSERT_EQ(link.Open(), 0);

  std::vector<uint8_t> stream;
  for (int seq = 0; seq < kFrameCount; ++seq) {
    AppendFrame(stream, seq % 5, FrameValues(seq, kValueCount));
  }
  std::thread board([&] { line.Write(stream); });

  std::vector<RecordQueue::Message> received;
  std::set<const std::string*> recordObjects;
  for (int seq = 0; seq < kFrameCount; ++seq) {
    std::optional<RecordQueue::Message> posted = window.WaitPop(kArrivalTimeoutMs);
    ASSERT_TRUE(posted.has_value()) << "record " << seq << " never arrived";
    ASSERT_EQ(*posted->recordText, FormatRecordText(FrameValues(seq, kValueCount)));
    ASSERT_EQ(posted->unitIndex, seq % 5);
    ASSERT_EQ(posted->message, WM_LINK_RECORD);
    recordObjects.insert(posted->recordText.get());
    received.push_back(std::move(*posted));
  }
  board.join();
  EXPECT_EQ(recordObjects.size(), static_cast<size_t>(kFrameCount));
  // Releasing one record leaves the others intact.
  received.front().recordText.reset();
  EXPECT_EQ(*received[1].recordText, FormatRecordText(FrameValues(1, kValueCount)));
  EXPECT_EQ(link.UnitIndex(), (kFrameCount - 1) % 5);
  EXPECT_EQ(link.BytesRead(), stream.size());

  EXPECT_EQ(link.Close(), 0);
  // The reader is gone: no thread is left that could post.
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_EQ(window.Size(), 0u);
}

// Frames completed before the first SetTarget are dropped; the target then
// survives a Close, so a second Open posts at once.
TEST(SimpleProtocolTest, RecordsFlowOnlyOnceTargetIsSetAndAgainAfterReopen) {
  constexpr int kValueCount = 3;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  RecordQueue window;
  CSimpleProtocol link;
  Prepare(link, line, kValueCount);
  ASSERT_EQ(link.Open(), 0);

  const std::vector<int16_t> early = {7, 8, 9};
  ASSERT_TRUE(line.Write(EncodeFrame(2, early)));
  // The reader notes the unit of every valid frame, posted or not.
  ASSERT_TRUE(WaitUntil([&] { return link.UnitIndex() == 2; }, kArrivalTimeoutMs));

  link.SetTarget(&window, WM_LINK_RECORD);
  const std::vector<int16_t> late = {-1, 0, 1};
  ASSERT_TRUE(line.Write(EncodeFrame(3, late)));
  std::optional<RecordQueue::Message> posted = window.WaitPop(kArrivalTimeoutMs);
  ASSERT_TRUE(posted.has_value());
  EXPECT_EQ(*posted->recordText, "-1,0,1,");
  EXPECT_EQ(posted->unitIndex, 3);

  ASSERT_EQ(link.Close(), 0);
  // The pseudo-terminal stays held by the test, as the simulator holds it:
  // the closed link must have given up its exclusive hold on it.
  ASSERT_EQ(link.Open(), 0);
  ASSERT_TRUE(line.Write(EncodeFrame(4, early)));
  posted = window.WaitPop(kArrivalTimeoutMs);
  ASSERT_TRUE(posted.has_value());
  EXPECT_EQ(*posted->recordText, "7,8,9,");
  EXPECT_EQ(window.Size(), 0u);
}

TEST(SimpleProtocolTest, RefusedPostLosesOnlyThatRecord) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  RecordQueue window;
  window.Destroy();
  CSimpleProtocol link;
  Prepare(link, line, 1);
  link.SetTarget(&window, WM_LINK_RECORD);
  ASSERT_EQ(link.Open(), 0);
  const std::vector<int16_t> values = {5};
  for (int unit = 0; unit < 5; ++unit) {
    ASSERT_TRUE(line.Write(EncodeFrame(unit, values)));
  }
  // The reader went on past every refused post; the leak checker verifies
  // that each refused record was freed.
  EXPECT_TRUE(WaitUntil([&] { return link.UnitIndex() == 4; }, kArrivalTimeoutMs));
  EXPECT_EQ(window.Size(), 0u);
}

}  // namespace
