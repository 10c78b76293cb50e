// Serial ports through termios: exclusive open, raw line settings, timed
// one-byte reads. A SerialHandle is the port's file descriptor.
#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/posix_io.h"
#include "platform/serial_port_name.h"

namespace {

// termios counts VTIME in tenths of a second.
constexpr int kMsPerDecisecond = 100;

// The termios speed code of a standard line speed, or B0 for any other.
speed_t SpeedCode(int baudRate) {
  switch (baudRate) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B0;
  }
}

}  // namespace

SerialHandle OpenSerialPort(const std::string& portPath, int* openError) {
  const auto fail = [openError](int errorNumber) {
    if (openError != nullptr) *openError = errorNumber;
    return kInvalidSerialHandle;
  };
  const std::string device = ResolveSerialDevicePath(portPath);
  // O_NONBLOCK: the open does not wait for the carrier of a modem-controlled
  // line, and reads never block (ReadSerialByte waits in poll). No O_CREAT,
  // so the device must exist.
  const int port = OpenFile(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (port < 0) {
    return fail(errno);
  }
  struct stat status {};
  if (fstat(port, &status) != 0 || !S_ISCHR(status.st_mode)) {
    CloseFile(port);
    return fail(ENOTTY);
  }
  // TIOCEXCL makes the kernel refuse further opens of the terminal, but lets
  // root through; the advisory lock catches every other cooperating opener.
  if (flock(port, LOCK_EX | LOCK_NB) != 0) {
    CloseFile(port);
    return fail(EBUSY);
  }
  ioctl(port, TIOCEXCL);
  return port;
}

bool ConfigureSerialLine(SerialHandle handle, int baudRate) {
  const int port = static_cast<int>(handle);
  const speed_t speed = SpeedCode(baudRate);
  termios line{};
  if (speed == B0 || tcgetattr(port, &line) != 0) {
    return false;
  }
  // Raw 8N1: no echo, no line editing, no signals, no CR/LF or other
  // translation, no stripping of the eighth bit, no parity checking.
  cfmakeraw(&line);
  line.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR);
  line.c_cflag &= ~(CSTOPB | CRTSCTS);
  // CLOCAL: the modem status lines neither gate reads nor hang the line up.
  line.c_cflag |= CS8 | CREAD | CLOCAL;
  // A read returns as soon as one byte is there, or empty after VTIME.
  line.c_cc[VMIN] = 0;
  line.c_cc[VTIME] = kSerialReadTimeoutMs / kMsPerDecisecond;
  cfsetispeed(&line, speed);
  cfsetospeed(&line, speed);
  return RetryOnInterrupt([&] { return tcsetattr(port, TCSANOW, &line); }) == 0;
}

bool LowerModemLines(SerialHandle handle) {
  const int port = static_cast<int>(handle);
  const int lines = TIOCM_RTS | TIOCM_DTR;
  return ioctl(port, TIOCMBIC, &lines) == 0;
}

int ReadSerialByte(SerialHandle handle, uint8_t& byte, int timeoutMs, const SerialReadWake* wake) {
  const int port = static_cast<int>(handle);
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  // Within a frame the next byte is usually there already: try to read it
  // before paying for a poll. EAGAIN is an empty line; a read of 0 is
  // either that or a hang-up, which the poll tells apart.
  ssize_t count = ReadSome(port, &byte, 1);
  if (count == 1) return 1;
  if (count < 0 && errno != EAGAIN) return -1;
  const int wakeHandle = wake != nullptr ? static_cast<int>(wake->Handle()) : -1;
  pollfd requests[] = {{port, POLLIN, 0}, {wakeHandle, POLLIN, 0}};
  const nfds_t watched = wakeHandle >= 0 ? 2 : 1;
  const int ready = RetryOnInterrupt([&] {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return poll(requests, watched, left.count() > 0 ? static_cast<int>(left.count()) : 0);
  });
  if (ready < 0) return -1;
  if ((requests[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0) {
    // Bytes still buffered come before a hang-up is reported.
    count = ReadSome(port, &byte, 1);
    if (count == 1) return 1;
    if (count < 0 && errno != EAGAIN) return -1;
    if ((requests[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      errno = 0;
      return -1;
    }
  }
  if (watched == 2 && (requests[1].revents & POLLIN) != 0) return 0;
  std::this_thread::sleep_until(deadline);
  return 0;
}

std::ptrdiff_t WriteSerialBytes(SerialHandle handle, const uint8_t* bytes, size_t count) {
  const int port = static_cast<int>(handle);
  // The port is non-blocking: a full line answers EAGAIN at once, and is
  // waited for once.
  ssize_t written = WriteSome(port, bytes, count);
  if (written < 0 && errno == EAGAIN) {
    pollfd request{port, POLLOUT, 0};
    // Not retried: a stop signal that interrupts the wait is seen at once.
    poll(&request, 1, kSerialWriteWaitMs);
    written = WriteSome(port, bytes, count);
    if (written < 0 && errno == EAGAIN) return 0;
  }
  return written;
}

bool DrainSerialLine(SerialHandle handle) {
  // Not retried: a stop signal that interrupts the wait ends it.
  return tcdrain(static_cast<int>(handle)) == 0;
}

SerialReadWake::SerialReadWake() : m_handle(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

SerialReadWake::~SerialReadWake() {
  if (m_handle >= 0) CloseFile(static_cast<int>(m_handle));
}

void SerialReadWake::Set() {
  // The counter only ever grows while set, so the descriptor stays readable.
  const uint64_t one = 1;
  if (m_handle >= 0) static_cast<void>(WriteSome(static_cast<int>(m_handle), &one, sizeof one));
}

void SerialReadWake::Clear() {
  uint64_t count = 0;
  if (m_handle >= 0) static_cast<void>(ReadSome(static_cast<int>(m_handle), &count, sizeof count));
}

void CloseSerialPort(SerialHandle handle) {
  const int port = static_cast<int>(handle);
  ioctl(port, TIOCNXCL);
  flock(port, LOCK_UN);
  CloseFile(port);
}
