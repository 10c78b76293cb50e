// The simulator's pseudo-terminal on Linux.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "line_output.h"
#include "platform/posix_io.h"
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
  return LineOutput(kInvalidSerialHandle, master, slave, slavePath);
}

std::ptrdiff_t LineOutput::WritePtyNow(std::span<const uint8_t> bytes) {
  const ssize_t count = WriteSome(m_ptyMaster, bytes.data(), bytes.size());
  if (count >= 0) return count;
  if (errno != EAGAIN) return -1;
  // Not retried: a stop signal that interrupts the wait is seen at once.
  pollfd request{m_ptyMaster, POLLOUT, 0};
  poll(&request, 1, kFullLinePollMs);
  return 0;
}

void LineOutput::DropStaleInput() {
  int unread = 0;
  if (m_heldSlaveFd >= 0 && ioctl(m_heldSlaveFd, FIONREAD, &unread) == 0 && unread > kStaleInputBytes) {
    tcflush(m_heldSlaveFd, TCIFLUSH);
  }
}

bool LineOutput::DrainPty() {
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

void LineOutput::ClosePty() {
  if (m_heldSlaveFd >= 0) CloseFile(m_heldSlaveFd);
  if (m_ptyMaster >= 0) CloseFile(m_ptyMaster);
}
