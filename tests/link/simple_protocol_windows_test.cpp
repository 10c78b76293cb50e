// The serial link on Windows, on the test session's null-modem pair under
// Wine: frames sent at the board's end reach the window as records, a port
// that does not open says why, and an adapter unplugged during a run is
// reported, opened again once it is back, and the records go on.
#include "link/simple_protocol.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/frame_encoder.h"
#include "testkit/record_queue.h"
#include "tests/windows/null_modem.h"

namespace {

// Long enough for anything to arrive on a loaded machine under Wine.
constexpr int kArrivalTimeoutMs = 10000;
constexpr int kTestReopenIntervalMs = 50;

class SimpleProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<NullModem> modem = SessionNullModem();
    if (!modem) GTEST_SKIP() << "no null-modem pair: run through CTest's Wine session";
    m_modem = *modem;
    m_board = OpenSerialPort(m_modem.boardPort);
    ASSERT_NE(m_board, kInvalidSerialHandle);
    ConfigureSerialLine(m_board, kSerialBaudRate);
    m_link.SetValueCount(3);
    m_link.SetPortName(m_modem.loggerPort);
    m_link.SetReopenIntervalMs(kTestReopenIntervalMs);
    m_link.SetTarget(&m_window, WM_LINK_RECORD);
  }
  void TearDown() override {
    m_link.Close();
    if (m_board != kInvalidSerialHandle) CloseSerialPort(m_board);
  }

  bool SendFrame(int unitIndex, std::vector<int16_t> values) {
    const std::vector<uint8_t> frame = EncodeFrame(unitIndex, values);
    size_t sent = 0;
    while (sent < frame.size()) {
      const std::ptrdiff_t written = WriteSerialBytes(m_board, frame.data() + sent, frame.size() - sent);
      if (written < 0) return false;
      sent += static_cast<size_t>(written);
    }
    return DrainSerialLine(m_board);
  }

  std::string NextRecord() {
    std::optional<RecordQueue::Message> message = m_window.WaitPop(kArrivalTimeoutMs);
    if (!message) return "<no record>";
    return std::to_string(message->unitIndex) + ":" + *message->recordText;
  }

  void ExpectEvent(LinkEvent expected) {
    const std::optional<RecordQueue::Event> event = m_window.WaitEvent(kArrivalTimeoutMs);
    ASSERT_TRUE(event.has_value()) << "no event came";
    EXPECT_EQ(event->event, expected);
  }

  NullModem m_modem;
  SerialHandle m_board = kInvalidSerialHandle;
  RecordQueue m_window;
  CSimpleProtocol m_link;
};

TEST_F(SimpleProtocolTest, FramesFromTheBoardArriveAsRecords) {
  ASSERT_EQ(m_link.Open(), 0);
  ASSERT_TRUE(SendFrame(0, {12, -3, 300}));
  ASSERT_TRUE(SendFrame(4, {-32512, 0, 32767}));
  EXPECT_EQ(NextRecord(), "0:12,-3,300,");
  EXPECT_EQ(NextRecord(), "4:-32512,0,32767,");
  EXPECT_EQ(m_link.UnitIndex(), 4);
  EXPECT_EQ(m_link.Close(), 0);
  // Closed means closed: the port opens again at once.
  EXPECT_EQ(m_link.Open(), 0);
}

TEST_F(SimpleProtocolTest, PortThatDoesNotOpenSaysWhy) {
  m_link.SetPortName("COM99");
  EXPECT_EQ(m_link.PortName(), "\\\\.\\COM99");
  EXPECT_EQ(m_link.Open(), -1);
  EXPECT_EQ(m_link.LastOpenError(), ENOENT);
}

TEST_F(SimpleProtocolTest, UnpluggedAdapterIsReopenedAndTheRecordsGoOn) {
  ASSERT_EQ(m_link.Open(), 0);
  ASSERT_TRUE(SendFrame(1, {1, 2, 3}));
  EXPECT_EQ(NextRecord(), "1:1,2,3,");
  {
    UnpluggedLoggerEnd unplugged(m_modem);
    ASSERT_TRUE(unplugged.Unplugged());
    ExpectEvent(LinkEvent::kLineLost);
    ASSERT_TRUE(unplugged.PlugIn());
  }
  ExpectEvent(LinkEvent::kLineBack);
  EXPECT_GT(m_link.ReopenAttempts(), 0);
  ASSERT_TRUE(SendFrame(2, {4, 5, 6}));
  EXPECT_EQ(NextRecord(), "2:4,5,6,");
}

}  // namespace
