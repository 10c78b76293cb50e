// The Linux serial layer on pseudo-terminals: COM name resolution, the
// exclusive open, the raw line settings and the timed one-byte read.
#include "platform/serial_port.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port_name.h"
#include "testkit/pty_line.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A fresh XDG_CONFIG_HOME with an empty port link directory.
class PortLinkDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/plenx-ports-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_configHome = pattern;
    fs::create_directories(PortDir());
  }
  void TearDown() override { fs::remove_all(m_configHome); }
  fs::path PortDir() const { return m_configHome / "plenx-logger" / "ports"; }

  fs::path m_configHome;
};

TEST_F(PortLinkDirTest, ComNamesResolveToLinkOrBuiltInPort) {
  ScopedEnv configHome("XDG_CONFIG_HOME", m_configHome.c_str());
  fs::create_symlink("/dev/ttyUSB0", PortDir() / "COM3");
  // A link to an unplugged adapter still names the port.
  fs::create_symlink("/dev/plenx-unplugged", PortDir() / "COM4");
  const std::string link3 = (PortDir() / "COM3").string();
  const std::string link4 = (PortDir() / "COM4").string();
  const struct {
    const char* portPath;
    std::string device;
  } kCases[] = {
      {"\\\\.\\COM1", "/dev/ttyS0"},
      {"\\\\.\\COM24", "/dev/ttyS23"},
      {"\\\\.\\COM3", link3},
      {"\\\\.\\COM4", link4},
      {"COM3", link3},
      {"COM1:", "/dev/ttyS0"},
      // Anything else is a device path already.
      {"/dev/pts/7", "/dev/pts/7"},
      {"\\\\.\\COM0", "\\\\.\\COM0"},
      {"\\\\.\\COM-2", "\\\\.\\COM-2"},
      {"\\\\.\\COM2x", "\\\\.\\COM2x"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ResolveSerialDevicePath(c.portPath), c.device) << c.portPath;
  }
}

TEST_F(PortLinkDirTest, MappedComPortOpensTheLinkedDevice) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  ScopedEnv configHome("XDG_CONFIG_HOME", m_configHome.c_str());
  fs::create_symlink(line.SlavePath(), PortDir() / "COM7");
  const SerialHandle port = OpenSerialPort("\\\\.\\COM7");
  ASSERT_NE(port, kInvalidSerialHandle);
  const uint8_t sent = 0x5A;
  ASSERT_TRUE(line.Write({&sent, 1}));
  uint8_t received = 0;
  EXPECT_EQ(ReadSerialByte(port, received, kSerialReadTimeoutMs), 1);
  EXPECT_EQ(received, sent);
  CloseSerialPort(port);
}

TEST(SerialPortTest, OnlyExistingCharacterDevicesOpen) {
  int openError = 0;
  EXPECT_EQ(OpenSerialPort("/dev/plenx-no-such-port", &openError), kInvalidSerialHandle);
  EXPECT_EQ(openError, ENOENT);
  char regularFile[] = "/tmp/plenx-not-a-port-XXXXXX";
  const int file = mkstemp(regularFile);
  ASSERT_GE(file, 0);
  close(file);
  EXPECT_EQ(OpenSerialPort(regularFile, &openError), kInvalidSerialHandle);
  EXPECT_EQ(openError, ENOTTY);
  unlink(regularFile);
}

// Exclusive while open, even for root; released completely by the close,
// although another opener keeps the terminal alive.
TEST(SerialPortTest, PortIsExclusiveUntilClosed) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const SerialHandle port = OpenSerialPort(line.SlavePath());
  ASSERT_NE(port, kInvalidSerialHandle);
  int openError = 0;
  EXPECT_EQ(OpenSerialPort(line.SlavePath(), &openError), kInvalidSerialHandle);
  EXPECT_EQ(openError, EBUSY);
  int exclusive = 0;
  ASSERT_EQ(ioctl(line.HeldSlave(), TIOCGEXCL, &exclusive), 0);
  EXPECT_NE(exclusive, 0);

  CloseSerialPort(port);
  ASSERT_EQ(ioctl(line.HeldSlave(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  const SerialHandle again = OpenSerialPort(line.SlavePath());
  EXPECT_NE(again, kInvalidSerialHandle);
  CloseSerialPort(again);
}

TEST(SerialPortTest, LineIsRaw8N1At9600) {
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  // Start from a cooked terminal, as a fresh serial device is.
  termios cooked{};
  tcgetattr(line.HeldSlave(), &cooked);
  cooked.c_iflag |= ICRNL | IXON | ISTRIP;
  cooked.c_lflag |= ICANON | ECHO | ISIG;
  cooked.c_oflag |= OPOST;
  tcsetattr(line.HeldSlave(), TCSANOW, &cooked);

  const SerialHandle port = OpenSerialPort(line.SlavePath());
  ASSERT_NE(port, kInvalidSerialHandle);
  EXPECT_TRUE(ConfigureSerialLine(port, kSerialBaudRate));
  // A pseudo-terminal has no modem lines; the refusal is reported, not fatal.
  EXPECT_FALSE(LowerModemLines(port));

  termios settings{};
  ASSERT_EQ(tcgetattr(port, &settings), 0);
  EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(B9600));
  EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(settings.c_cflag & CLOCAL, 0u);
  EXPECT_EQ(settings.c_cc[VMIN], 0);
  EXPECT_EQ(settings.c_cc[VTIME], 2);

  // Bytes a cooked line would translate, swallow or act on all arrive as sent:
  // CR, NL, XON, XOFF, Ctrl-C, DEL, and bytes with the eighth bit set.
  const std::vector<uint8_t> sent = {0x0D, 0x0A, 0x11, 0x13, 0x03, 0x7F, 0xFF, 0x80, 0x00};
  ASSERT_TRUE(line.Write(sent));
  std::vector<uint8_t> received;
  uint8_t byte = 0;
  while (received.size() < sent.size() && ReadSerialByte(port, byte, kSerialReadTimeoutMs) == 1) {
    received.push_back(byte);
  }
  EXPECT_EQ(received, sent);
  CloseSerialPort(port);
}

// An empty read on a silent line takes the full time-out, so a reader
// looping on it cannot spin; a hung-up line is reported as lost instead of
// being read as silence for ever. How close to the time-out the read
// returns is a benchmark's business (bench/link_reader_bench.cpp), not a
// test's.
TEST(SerialPortTest, SilentLineTakesTheTimeoutAndHungUpLineIsLost) {
  constexpr int kTimeoutMs = 50;
  PtyLine silent;
  PtyLine hungUp;
  ASSERT_TRUE(silent.Valid() && hungUp.Valid());
  const SerialHandle silentPort = OpenSerialPort(silent.SlavePath());
  const SerialHandle hungUpPort = OpenSerialPort(hungUp.SlavePath());
  ASSERT_NE(silentPort, kInvalidSerialHandle);
  ASSERT_NE(hungUpPort, kInvalidSerialHandle);
  ConfigureSerialLine(silentPort, kSerialBaudRate);
  ConfigureSerialLine(hungUpPort, kSerialBaudRate);
  hungUp.HangUp();

  uint8_t byte = 0;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(ReadSerialByte(silentPort, byte, kTimeoutMs), 0);
  EXPECT_GE(Clock::now() - start, milliseconds(kTimeoutMs));
  errno = EINVAL;
  EXPECT_EQ(ReadSerialByte(hungUpPort, byte, kTimeoutMs), -1);
  EXPECT_EQ(errno, 0) << "a hang-up, not a failed read";
  // Lost for good: the descriptor never reads again.
  EXPECT_EQ(ReadSerialByte(hungUpPort, byte, kTimeoutMs), -1);
  CloseSerialPort(silentPort);
  CloseSerialPort(hungUpPort);
}

// A reader told to stop is woken from its wait on a silent line; bytes the
// line holds still come first, and Clear lets the reads wait again.
TEST(SerialPortTest, WakeCutsTheWaitShort) {
  // Far longer than the test may take: a read that waits it out fails it.
  constexpr int kLongTimeoutMs = 60000;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  const SerialHandle port = OpenSerialPort(line.SlavePath());
  ASSERT_NE(port, kInvalidSerialHandle);
  ConfigureSerialLine(port, kSerialBaudRate);
  SerialReadWake wake;
  ASSERT_GE(wake.Handle(), 0);

  uint8_t byte = 0;
  std::thread stopper([&wake] { wake.Set(); });
  EXPECT_EQ(ReadSerialByte(port, byte, kLongTimeoutMs, &wake), 0);
  stopper.join();
  const uint8_t sent[] = {0x5A};
  ASSERT_TRUE(line.Write(sent));
  EXPECT_EQ(ReadSerialByte(port, byte, kLongTimeoutMs, &wake), 1);
  EXPECT_EQ(byte, 0x5A);
  EXPECT_EQ(ReadSerialByte(port, byte, kLongTimeoutMs, &wake), 0);

  wake.Clear();
  constexpr int kShortTimeoutMs = 50;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(ReadSerialByte(port, byte, kShortTimeoutMs, &wake), 0);
  EXPECT_GE(Clock::now() - start, milliseconds(kShortTimeoutMs));
  CloseSerialPort(port);
}

}  // namespace
