// A lost serial line on pseudo-terminals: the reader reports it, opens the
// port again by its COM name until an adapter is back, drops the partial
// frame, keeps the raw capture going, and still stops at once.
#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/frame_encoder.h"
#include "link/simple_protocol.h"
#include "platform/raw_capture.h"
#include "testkit/pty_line.h"
#include "testkit/record_queue.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"
#include "tests/support/file_access_checks.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Long enough for anything to arrive on a loaded machine under sanitizers.
constexpr int kArrivalTimeoutMs = 10000;
// Short reopen attempts, so a test does not wait out the program's second.
constexpr int kTestReopenIntervalMs = 20;
constexpr char kPort[] = "COM7";

std::string Bytes(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// COM7 of a fresh per-user configuration folder, pointed wherever a test
// plugs its adapter in. A lost line is pointed at a missing device before
// its terminal goes: the reader reopens by name, and a terminal number may
// be handed to another test's terminal as soon as it is free.
class LineReconnectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_configHome.path().empty());
    fs::create_directories(PortFolder());
  }

  fs::path PortFolder() const { return fs::path(m_configHome.path()) / "plenx-logger" / "ports"; }

  // Points COM7 at device in one step, as `ln -sfn` does.
  void Plug(const std::string& device) const {
    const fs::path next = PortFolder() / "COM7.next";
    fs::create_symlink(device, next);
    fs::rename(next, PortFolder() / kPort);
  }
  void Unplug() const { Plug(m_configHome.Path("no-adapter")); }

  void Prepare(CSimpleProtocol& link, RecordQueue& window, int valueCount) const {
    link.SetValueCount(valueCount);
    link.SetPortName(kPort);
    link.SetReopenIntervalMs(kTestReopenIntervalMs);
    link.SetTarget(&window, WM_LINK_RECORD);
  }

  static void ExpectEvent(RecordQueue& window, LinkEvent expected) {
    const std::optional<RecordQueue::Event> event = window.WaitEvent(kArrivalTimeoutMs);
    ASSERT_TRUE(event.has_value()) << "no event came";
    EXPECT_EQ(event->event, expected);
  }

  TempFolder m_configHome;
  ScopedEnv m_env{"XDG_CONFIG_HOME", m_configHome.path().c_str()};
};

// The far side goes in the middle of a frame and another terminal becomes
// COM7: the records go on without a new Open, the half frame is not taken
// (not even joined to the bytes that follow on the new line), and the raw
// capture holds every byte read from both lines, in order.
TEST_F(LineReconnectTest, RecordsResumeOnTheNewLineWithoutThePartialFrame) {
  const std::vector<int16_t> kept = {1, 2, 3};
  const std::vector<int16_t> cut = {10, 20, 30};  // no 0xFF on the wire
  const std::vector<int16_t> after = {4, 5, 6};
  const std::vector<uint8_t> cutFrame = EncodeFrame(2, cut);
  const std::vector<uint8_t> firstHalf(cutFrame.begin(), cutFrame.begin() + 4);
  const std::vector<uint8_t> secondHalf(cutFrame.begin() + 4, cutFrame.end());

  TempFolder files;
  RawCapture capture;
  ASSERT_EQ(capture.Open(files.Path("line.raw")), 0);
  PtyLine first;
  ASSERT_TRUE(first.Valid());
  Plug(first.SlavePath());
  RecordQueue window;
  CSimpleProtocol link;
  Prepare(link, window, 3);
  link.SetRawCapture(&capture);
  ASSERT_EQ(link.Open(), 0);

  // One write, so the half frame is in the terminal by the time the whole
  // frame before it has been decoded; then wait until it has been read.
  std::vector<uint8_t> sentFirst = EncodeFrame(1, kept);
  sentFirst.insert(sentFirst.end(), firstHalf.begin(), firstHalf.end());
  ASSERT_TRUE(first.Write(sentFirst));
  std::optional<RecordQueue::Message> posted = window.WaitPop(kArrivalTimeoutMs);
  ASSERT_TRUE(posted.has_value());
  EXPECT_EQ(*posted->recordText, "1,2,3,");
  ASSERT_TRUE(WaitUntil(
      [&] {
        int unread = -1;
        return ioctl(first.HeldSlave(), TIOCINQ, &unread) == 0 && unread == 0;
      },
      kArrivalTimeoutMs));

  Unplug();
  first.HangUp();
  ExpectEvent(window, LinkEvent::kLineLost);
  PtyLine second;
  ASSERT_TRUE(second.Valid());
  Plug(second.SlavePath());
  ExpectEvent(window, LinkEvent::kLineBack);

  std::vector<uint8_t> sentSecond = secondHalf;
  const std::vector<uint8_t> afterFrame = EncodeFrame(3, after);
  sentSecond.insert(sentSecond.end(), afterFrame.begin(), afterFrame.end());
  ASSERT_TRUE(second.Write(sentSecond));
  posted = window.WaitPop(kArrivalTimeoutMs);
  ASSERT_TRUE(posted.has_value());
  EXPECT_EQ(*posted->recordText, "4,5,6,");
  EXPECT_EQ(posted->unitIndex, 3);
  EXPECT_EQ(link.Close(), 0);
  EXPECT_EQ(window.Size(), 0u);
  EXPECT_EQ(window.EventCount(), 0u);

  ASSERT_TRUE(capture.Close());
  EXPECT_EQ(ReadFileBytes(files.Path("line.raw")), Bytes(sentFirst) + Bytes(sentSecond));
}

// The adapter never comes back: the reader keeps trying, and Close ends it
// without waiting for the next attempt. The reopen interval here is far
// longer than any Close could take if it waited for it.
TEST_F(LineReconnectTest, LineThatNeverComesBackStillStopsAtOnce) {
  constexpr int kLongReopenIntervalMs = 20000;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  Plug(line.SlavePath());
  RecordQueue window;
  CSimpleProtocol link;
  Prepare(link, window, 3);
  link.SetReopenIntervalMs(kLongReopenIntervalMs);
  ASSERT_EQ(link.Open(), 0);
  Unplug();
  line.HangUp();
  ExpectEvent(window, LinkEvent::kLineLost);

  const Clock::time_point closeStart = Clock::now();
  EXPECT_EQ(link.Close(), 0);
  EXPECT_LT(Clock::now() - closeStart, std::chrono::milliseconds(kLongReopenIntervalMs / 2));
  EXPECT_EQ(link.ReopenAttempts(), 0);
  EXPECT_EQ(window.EventCount(), 0u);
}

// An adapter that comes back before its device is open to the user (as
// before udev has set its group): attempts fail until the permission is
// granted, then the line is back. As root the permission checks are made to
// bind the test's threads too.
TEST_F(LineReconnectTest, LineComesBackOnceThePermissionIsGranted) {
  ScopedFileAccessChecks accessChecks;
  if (!accessChecks.Active()) GTEST_SKIP() << "cannot give up the right to override file permissions";
  PtyLine first;
  PtyLine second;
  ASSERT_TRUE(first.Valid() && second.Valid());
  Plug(first.SlavePath());
  RecordQueue window;
  CSimpleProtocol link;
  Prepare(link, window, 1);
  ASSERT_EQ(link.Open(), 0);  // the reader thread checks permissions too

  struct stat granted {};
  ASSERT_EQ(stat(second.SlavePath().c_str(), &granted), 0);
  ASSERT_EQ(chmod(second.SlavePath().c_str(), 0), 0);
  Plug(second.SlavePath());
  first.HangUp();
  ExpectEvent(window, LinkEvent::kLineLost);
  // Two more attempts: at least one was made whole while refused.
  const int attempts = link.ReopenAttempts();
  ASSERT_TRUE(WaitUntil([&] { return link.ReopenAttempts() >= attempts + 2; }, kArrivalTimeoutMs));
  EXPECT_EQ(window.EventCount(), 0u) << "opened although refused";

  ASSERT_EQ(chmod(second.SlavePath().c_str(), granted.st_mode & 07777), 0);
  ExpectEvent(window, LinkEvent::kLineBack);
  const std::vector<int16_t> values = {42};
  ASSERT_TRUE(second.Write(EncodeFrame(0, values)));
  const std::optional<RecordQueue::Message> posted = window.WaitPop(kArrivalTimeoutMs);
  ASSERT_TRUE(posted.has_value());
  EXPECT_EQ(*posted->recordText, "42,");
  link.Close();
}

// A capture that cannot be written is reported (with the reason) once, costs
// no record, and is reported again once its bytes are written again.
TEST_F(LineReconnectTest, FailedCaptureWriteIsReportedOnceAndRecordsGoOn) {
  TempFolder files;
  RawCapture capture;
  ASSERT_EQ(capture.Open(files.Path("full.raw")), 0);
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  Plug(line.SlavePath());
  RecordQueue window;
  CSimpleProtocol link;
  Prepare(link, window, 2);
  link.SetRawCapture(&capture);
  std::optional<FileSizeLimit> full(0);
  ASSERT_TRUE(full->Active());
  ASSERT_EQ(link.Open(), 0);
  const std::vector<int16_t> values = {7, -7};
  ASSERT_TRUE(line.Write(EncodeFrame(4, values)));
  const std::optional<RecordQueue::Message> posted = window.WaitPop(kArrivalTimeoutMs);
  ASSERT_TRUE(posted.has_value());
  EXPECT_EQ(*posted->recordText, "7,-7,");
  const std::optional<RecordQueue::Event> event = window.WaitEvent(kArrivalTimeoutMs);
  ASSERT_TRUE(event.has_value());
  EXPECT_EQ(event->event, LinkEvent::kRawCaptureFailed);
  EXPECT_EQ(event->error, EFBIG);

  // A second frame may fail to be captured too, which is not said again;
  // once there is room, the next write works and that is said.
  ASSERT_TRUE(line.Write(EncodeFrame(4, values)));
  ASSERT_TRUE(window.WaitPop(kArrivalTimeoutMs).has_value());
  full.reset();
  ASSERT_TRUE(line.Write(EncodeFrame(4, values)));
  ExpectEvent(window, LinkEvent::kRawCaptureResumed);
  link.Close();
  EXPECT_GT(capture.BytesWritten(), 0u);
}

}  // namespace
