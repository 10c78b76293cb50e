// Pseudo-terminal creation and paced-line writing for the simulator.
#include "line_output.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/posix_io.h"
#include "platform/serial_port.h"
#include "stop_signal.h"

namespace {

// Unread input beyond this much line time is dropped: about two seconds at
// 9600 baud. A reading logger never lets that much pile up.
constexpr int kStaleInputBytes = 2 * kSerialBaudRate / 10;
// How often a full line is looked at again.
constexpr int kFullLinePollMs = 20;
// The listener has read everything once its input stays empty this long
// (bytes written to a pseudo-terminal reach its input with a short delay).
constexpr auto kDrainSettle = std::chrono::milliseconds(200);

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

LineOutput::LineOutput(int writeFd, int heldSlaveFd, std::string devicePath)
    : m_writeFd(writeFd), m_heldSlaveFd(heldSlaveFd), m_devicePath(std::move(devicePath)) {}

LineOutput::LineOutput(LineOutput&& other) noexcept
    : m_writeFd(other.m_writeFd),
      m_heldSlaveFd(other.m_heldSlaveFd),
      m_devicePath(std::move(other.m_devicePath)) {
  other.m_writeFd = other.m_heldSlaveFd = -1;
}

LineOutput::~LineOutput() {
  if (m_heldSlaveFd >= 0) {
    CloseFile(m_heldSlaveFd);
    if (m_writeFd >= 0) CloseFile(m_writeFd);
  } else if (m_writeFd >= 0) {
    // A device was taken exclusively; a terminal that another process keeps
    // open would stay exclusive after a plain close.
    CloseSerialPort(m_writeFd);
  }
}

std::optional<LineOutput> LineOutput::CreatePty(std::string& error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) {
    error = SystemError("cannot create a pseudo-terminal");
    return std::nullopt;
  }
  char slavePath[128] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, slavePath, sizeof slavePath) != 0) {
    error = SystemError("cannot prepare the pseudo-terminal");
    CloseFile(master);
    return std::nullopt;
  }
  const int slave = OpenFile(slavePath, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    error = SystemError(std::string("cannot open ") + slavePath);
    CloseFile(master);
    return std::nullopt;
  }
  // Raw before anyone reads: a cooked terminal would turn CR into LF, act on
  // Ctrl-C and XON/XOFF bytes, and echo everything back into the frames.
  ConfigureSerialLine(slave, kSerialBaudRate);
  // Non-blocking, so a full line is waited for in slices that see a stop.
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  return LineOutput(master, slave, slavePath);
}

std::optional<LineOutput> LineOutput::OpenDevice(const std::string& path, std::string& error) {
  const SerialHandle port = OpenSerialPort(path);
  if (port == kInvalidSerialHandle) {
    error = "cannot open " + path + " (absent, in use, or not a serial device)";
    return std::nullopt;
  }
  ConfigureSerialLine(port, kSerialBaudRate);
  fcntl(port, F_SETFL, fcntl(port, F_GETFL) | O_NONBLOCK);
  return LineOutput(port, -1, path);
}

bool LineOutput::Write(std::span<const uint8_t> bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    if (StopRequested()) {
      return false;
    }
    // The descriptor is non-blocking: a full line answers EAGAIN at once,
    // and is waited for in slices that look at the stop flag.
    const ssize_t count = WriteSome(m_writeFd, bytes.data() + sent, bytes.size() - sent);
    if (count > 0) {
      sent += static_cast<size_t>(count);
    } else if (count < 0 && errno != EAGAIN) {
      return false;
    } else {
      // Not retried: a stop signal that interrupts the wait is seen at once.
      pollfd request{m_writeFd, POLLOUT, 0};
      poll(&request, 1, kFullLinePollMs);
    }
  }
  return true;
}

void LineOutput::DropStaleInput() {
  int unread = 0;
  if (m_heldSlaveFd >= 0 && ioctl(m_heldSlaveFd, FIONREAD, &unread) == 0 && unread > kStaleInputBytes) {
    tcflush(m_heldSlaveFd, TCIFLUSH);
  }
}

bool LineOutput::Drain() {
  if (m_heldSlaveFd < 0) {
    // Not retried: a stop signal that interrupts the wait ends it.
    tcdrain(m_writeFd);
    return !StopRequested();
  }
  using Clock = std::chrono::steady_clock;
  Clock::time_point emptySince = Clock::now();
  for (;;) {
    int unread = 0;
    ioctl(m_heldSlaveFd, FIONREAD, &unread);
    const Clock::time_point now = Clock::now();
    if (unread > 0) {
      emptySince = now;
    } else if (now - emptySince >= kDrainSettle) {
      return true;
    }
    if (!SleepUntil(now + std::chrono::milliseconds(kFullLinePollMs))) {
      return false;
    }
  }
}
