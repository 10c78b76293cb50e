// A pseudo-terminal standing in for the serial line in tests: the test plays
// the control board on the master side, the code under test opens the slave.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <span>
#include <string>

#include "platform/posix_io.h"

class PtyLine {
 public:
  // Raw from the start, so no byte is translated before the link configures
  // the line. The slave stays open here as well, as the simulator keeps it.
  // Neither side is inherited by a program the test starts, so that HangUp
  // really takes the far side away.
  PtyLine() {
    char path[128] = {};
    if (openpty(&m_master, &m_slave, path, nullptr, nullptr) != 0) {
      m_master = m_slave = -1;
      return;
    }
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    termios line{};
    tcgetattr(m_slave, &line);
    cfmakeraw(&line);
    tcsetattr(m_slave, TCSANOW, &line);
    m_slavePath = path;
  }
  ~PtyLine() { HangUp(); }
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  bool Valid() const { return m_master >= 0; }
  const std::string& SlavePath() const { return m_slavePath; }
  // The slave descriptor the test holds (to inspect the line settings).
  int HeldSlave() const { return m_slave; }

  // Sends bytes as the board would; blocks while the line's buffer is full.
  bool Write(std::span<const uint8_t> bytes) {
    return WriteAll(m_master, bytes.data(), bytes.size()) == bytes.size();
  }

  // Sends bytes as Write does, but gives up (false) when the line's buffer
  // stays full for timeoutMs: a reader that died cannot hang the test.
  bool WriteWithin(std::span<const uint8_t> bytes, int timeoutMs) {
    const int flags = fcntl(m_master, F_GETFL);
    fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t wrote = ::write(m_master, bytes.data() + done, bytes.size() - done);
      if (wrote > 0) {
        done += static_cast<size_t>(wrote);
        continue;
      }
      if (wrote < 0 && errno != EAGAIN && errno != EINTR) break;
      pollfd room{m_master, POLLOUT, 0};
      if (poll(&room, 1, timeoutMs) <= 0) break;
    }
    fcntl(m_master, F_SETFL, flags);
    return done == bytes.size();
  }
  // Closes both sides the test holds: the slave's other opener sees a hang-up.
  void HangUp() {
    if (m_slave >= 0) CloseFile(m_slave);
    if (m_master >= 0) CloseFile(m_master);
    m_master = m_slave = -1;
  }

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_slavePath;
};
