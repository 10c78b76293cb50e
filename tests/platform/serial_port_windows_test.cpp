// The Windows serial layer on the test session's null-modem pair under Wine:
// what one end sends arrives unchanged at the other, the line settings, RTS
// and DTR low, the read time-out, a vanished device reported as lost, and
// the errors of an open that fails.
#include "platform/serial_port.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port_name.h"
#include "testkit/temp_folder.h"
#include "tests/windows/null_modem.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kArrivalTimeoutMs = 5000;

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::optional<NullModem> modem = SessionNullModem();
    if (!modem) GTEST_SKIP() << "no null-modem pair: run through CTest's Wine session";
    m_modem = *modem;
  }

  // Reads count bytes from port, or what came before they stopped coming.
  static std::vector<uint8_t> Receive(SerialHandle port, size_t count) {
    std::vector<uint8_t> received;
    const Clock::time_point deadline = Clock::now() + milliseconds(kArrivalTimeoutMs);
    while (received.size() < count && Clock::now() < deadline) {
      uint8_t byte = 0;
      const int read = ReadSerialByte(port, byte, kSerialReadTimeoutMs);
      if (read < 0) break;
      if (read == 1) received.push_back(byte);
    }
    return received;
  }

  static bool Send(SerialHandle port, const std::vector<uint8_t>& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
      const std::ptrdiff_t written = WriteSerialBytes(port, bytes.data() + sent, bytes.size() - sent);
      if (written < 0) return false;
      sent += static_cast<size_t>(written);
    }
    return DrainSerialLine(port);
  }

  NullModem m_modem;
};

TEST_F(SerialPortTest, EveryByteValueArrivesAsSent) {
  const SerialHandle logger = OpenSerialPort(m_modem.loggerPort);
  const SerialHandle board = OpenSerialPort(m_modem.boardPort);
  ASSERT_NE(logger, kInvalidSerialHandle);
  ASSERT_NE(board, kInvalidSerialHandle);
  EXPECT_TRUE(ConfigureSerialLine(logger, kSerialBaudRate));
  EXPECT_TRUE(ConfigureSerialLine(board, kSerialBaudRate));
  // What a cooked line would translate, swallow or act on (CR, NL, XON,
  // XOFF, Ctrl-C, Ctrl-Z, NUL) is among them.
  std::vector<uint8_t> sent;
  for (int value = 0; value < 256; ++value) sent.push_back(static_cast<uint8_t>(value));
  ASSERT_TRUE(Send(board, sent));
  EXPECT_EQ(Receive(logger, sent.size()), sent);
  CloseSerialPort(board);
  CloseSerialPort(logger);
}

TEST_F(SerialPortTest, LineIsRaw8N1At9600WithOutputsLowAndTimedReads) {
  const SerialHandle port = OpenSerialPort(m_modem.loggerPort);
  ASSERT_NE(port, kInvalidSerialHandle);
  ASSERT_TRUE(ConfigureSerialLine(port, kSerialBaudRate));
  const HANDLE handle = reinterpret_cast<HANDLE>(port);
  DCB line{};
  line.DCBlength = sizeof line;
  ASSERT_TRUE(GetCommState(handle, &line));
  EXPECT_EQ(line.BaudRate, 9600u);
  EXPECT_EQ(line.ByteSize, 8);
  EXPECT_EQ(line.Parity, NOPARITY);
  EXPECT_EQ(line.StopBits, ONESTOPBIT);
  EXPECT_TRUE(line.fBinary);
  EXPECT_FALSE(line.fParity || line.fOutX || line.fInX || line.fOutxCtsFlow || line.fOutxDsrFlow);
  EXPECT_EQ(line.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
  EXPECT_EQ(line.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
  COMMTIMEOUTS timeouts{};
  ASSERT_TRUE(GetCommTimeouts(handle, &timeouts));
  // Reads wait in slices short enough for a wake to be seen at once.
  EXPECT_GT(timeouts.ReadTotalTimeoutConstant, 0u);
  EXPECT_LE(timeouts.ReadTotalTimeoutConstant, 50u);

  // The modem-line library of the session records what the outputs are
  // set to; a pseudo-terminal has no lines of its own.
  const char* log = std::getenv("PLENX_MODEM_LINES_LOG_WINDOWS");
  ASSERT_NE(log, nullptr);
  std::ofstream(FsPath(log), std::ios::trunc).close();
  EXPECT_TRUE(LowerModemLines(port));
  std::string last;
  std::ifstream lines(FsPath(log));
  for (std::string line; std::getline(lines, line);) last = line;
  EXPECT_EQ(last, "RTS=0 DTR=0");

  // A silent line: no byte, after the whole time-out.
  constexpr int kTimeoutMs = 50;
  uint8_t byte = 0;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(ReadSerialByte(port, byte, kTimeoutMs), 0);
  EXPECT_GE(Clock::now() - start, milliseconds(kTimeoutMs));
  CloseSerialPort(port);
}

// An unplugged adapter: reads come back empty at once for ever, and only
// the port's unreadable error state tells. Reported as lost, for good.
TEST_F(SerialPortTest, VanishedDeviceIsLost) {
  const SerialHandle port = OpenSerialPort(m_modem.loggerPort);
  ASSERT_NE(port, kInvalidSerialHandle);
  ConfigureSerialLine(port, kSerialBaudRate);
  UnpluggedLoggerEnd unplugged(m_modem);
  ASSERT_TRUE(unplugged.Unplugged());
  uint8_t byte = 0;
  EXPECT_EQ(ReadSerialByte(port, byte, kSerialReadTimeoutMs), -1);
  EXPECT_EQ(ReadSerialByte(port, byte, kSerialReadTimeoutMs), -1);
  EXPECT_EQ(OpenSerialPort(m_modem.loggerPort), kInvalidSerialHandle);
  CloseSerialPort(port);
  ASSERT_TRUE(unplugged.PlugIn());
  const SerialHandle again = OpenSerialPort(m_modem.loggerPort);
  EXPECT_NE(again, kInvalidSerialHandle);
  CloseSerialPort(again);
}

TEST_F(SerialPortTest, WakeCutsTheWaitShort) {
  // Far longer than the test may take: a read that waits it out fails it.
  constexpr int kLongTimeoutMs = 60000;
  const SerialHandle logger = OpenSerialPort(m_modem.loggerPort);
  const SerialHandle board = OpenSerialPort(m_modem.boardPort);
  ASSERT_NE(logger, kInvalidSerialHandle);
  ASSERT_NE(board, kInvalidSerialHandle);
  ConfigureSerialLine(logger, kSerialBaudRate);
  ConfigureSerialLine(board, kSerialBaudRate);
  SerialReadWake wake;
  ASSERT_NE(wake.Handle(), -1);

  uint8_t byte = 0;
  std::thread stopper([&wake] { wake.Set(); });
  EXPECT_EQ(ReadSerialByte(logger, byte, kLongTimeoutMs, &wake), 0);
  stopper.join();
  // While set, a byte already there is still read, and none is waited for.
  ASSERT_TRUE(Send(board, {0x5A}));
  const Clock::time_point sent = Clock::now();
  int read = 0;
  while (read == 0 && Clock::now() - sent < milliseconds(kArrivalTimeoutMs)) {
    read = ReadSerialByte(logger, byte, kLongTimeoutMs, &wake);
  }
  EXPECT_EQ(read, 1);
  EXPECT_EQ(byte, 0x5A);
  EXPECT_EQ(ReadSerialByte(logger, byte, kLongTimeoutMs, &wake), 0);

  wake.Clear();
  constexpr int kShortTimeoutMs = 50;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(ReadSerialByte(logger, byte, kShortTimeoutMs, &wake), 0);
  EXPECT_GE(Clock::now() - start, milliseconds(kShortTimeoutMs));
  CloseSerialPort(board);
  CloseSerialPort(logger);
}

TEST_F(SerialPortTest, FailedOpensSayWhy) {
  int openError = 0;
  EXPECT_EQ(OpenSerialPort("COM99", &openError), kInvalidSerialHandle);
  EXPECT_EQ(openError, ENOENT);
  TempFolder folder;
  const std::string file = folder.Write("not-a-port", "x");
  EXPECT_EQ(OpenSerialPort(file, &openError), kInvalidSerialHandle);
  EXPECT_EQ(openError, ENOTTY);
}

// Windows refuses a second open of a port while the first holds it; Wine
// lets it through, so the exclusivity is tested on Linux
// (serial_port_posix_test.cpp) and here only on Windows itself.
TEST_F(SerialPortTest, PortIsExclusiveUntilClosed) {
  if (RunningUnderWine()) GTEST_SKIP() << "Wine lets a second open of a port through; Windows refuses it";
  const SerialHandle port = OpenSerialPort(m_modem.loggerPort);
  ASSERT_NE(port, kInvalidSerialHandle);
  int openError = 0;
  EXPECT_EQ(OpenSerialPort(m_modem.loggerPort, &openError), kInvalidSerialHandle);
  EXPECT_EQ(openError, EBUSY);
  CloseSerialPort(port);
  const SerialHandle again = OpenSerialPort(m_modem.loggerPort);
  EXPECT_NE(again, kInvalidSerialHandle);
  CloseSerialPort(again);
}

TEST(SerialPortNameTest, ComNamesAreWindowsDevices) {
  EXPECT_EQ(ResolveSerialDevicePath("COM3"), "\\\\.\\COM3");
  EXPECT_EQ(ResolveSerialDevicePath("\\\\.\\COM24"), "\\\\.\\COM24");
  EXPECT_EQ(ResolveSerialDevicePath("COM12:"), "\\\\.\\COM12");
  EXPECT_EQ(ResolveSerialDevicePath("\\\\.\\pipe\\x"), "\\\\.\\pipe\\x");
  EXPECT_EQ(SerialPortLinkDirectory(), "");
}

}  // namespace
