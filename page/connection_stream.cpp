// Client connections under deadlines.
#include "page/connection_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {
// The longest a read may wait when no request holds it to a deadline.
constexpr int kUnboundedReadWaitMs = 60'000;

int MsUntil(ConnectionStream::Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ConnectionStream::Clock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT_MAX));
}
}  // namespace

ConnectionStream::ConnectionStream(int socket, SSL* tls, int wakeFd, int writeTimeoutMs)
    : m_socket(socket), m_tls(tls), m_wakeFd(wakeFd), m_writeTimeoutMs(writeTimeoutMs) {}

ConnectionStream::Ready ConnectionStream::WaitFor(short events, int timeoutMs) const {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    pollfd fds[2] = {{m_socket, events, 0}, {m_wakeFd, POLLIN, 0}};
    const int ready = poll(fds, 2, MsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Ready::kFailed;
    if (fds[1].revents != 0) return Ready::kWoken;
    if (ready == 0) return Ready::kTimedOut;
    // An error or hang-up is left to the read or write that follows to see.
    return Ready::kYes;
  }
}

bool ConnectionStream::WaitForRequest(int timeoutMs) {
  if (m_bufferStart < m_bufferEnd || (m_tls && SSL_pending(m_tls) > 0)) return true;
  // A peer that closed makes the socket readable too; the request's first
  // read then finds the end.
  return WaitFor(POLLIN, timeoutMs) == Ready::kYes;
}

void ConnectionStream::BeginRequest(Clock::time_point deadline, size_t maxBytes) {
  m_deadline = deadline;
  m_bytesLeft = maxBytes;
  m_deadlinePassed = false;
  m_budgetExceeded = false;
}

int ConnectionStream::RemainingMs() const {
  if (m_deadline == Clock::time_point::max()) return kUnboundedReadWaitMs;
  return MsUntil(m_deadline);
}

ssize_t ConnectionStream::Fill() {
  for (;;) {
    short waitEvents = POLLIN;
    if (m_tls) {
      const int count = SSL_read(m_tls, m_buffer.data(), static_cast<int>(m_buffer.size()));
      if (count > 0) return count;
      const int error = SSL_get_error(m_tls, count);
      if (error == SSL_ERROR_ZERO_RETURN) return 0;
      if (error == SSL_ERROR_WANT_WRITE) {
        waitEvents = POLLOUT;
      } else if (error != SSL_ERROR_WANT_READ) {
        return -1;
      }
    } else {
      const ssize_t count = recv(m_socket, m_buffer.data(), m_buffer.size(), 0);
      if (count >= 0) return count;
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    }
    const int remainingMs = RemainingMs();
    const Ready ready = remainingMs > 0 ? WaitFor(waitEvents, remainingMs) : Ready::kTimedOut;
    if (ready == Ready::kTimedOut) m_deadlinePassed = m_deadline != Clock::time_point::max();
    if (ready != Ready::kYes) return -1;
  }
}

bool ConnectionStream::is_readable() const {
  if (m_bufferStart < m_bufferEnd || (m_tls && SSL_pending(m_tls) > 0)) return true;
  return WaitFor(POLLIN, 0) == Ready::kYes;
}

bool ConnectionStream::is_writable() const { return WaitFor(POLLOUT, m_writeTimeoutMs) == Ready::kYes; }

ssize_t ConnectionStream::read(char* ptr, size_t size) {
  if (m_bytesLeft == 0) {
    m_budgetExceeded = true;
    return -1;
  }
  if (m_bufferStart == m_bufferEnd) {
    const ssize_t count = Fill();
    if (count <= 0) return count;
    m_bufferStart = 0;
    m_bufferEnd = static_cast<size_t>(count);
  }
  const size_t count = std::min({size, m_bufferEnd - m_bufferStart, m_bytesLeft});
  std::memcpy(ptr, m_buffer.data() + m_bufferStart, count);
  m_bufferStart += count;
  m_bytesLeft -= count;
  return static_cast<ssize_t>(count);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
  size = std::min<size_t>(size, INT_MAX);
  for (;;) {
    short waitEvents = POLLOUT;
    if (m_tls) {
      const int count = SSL_write(m_tls, ptr, static_cast<int>(size));
      if (count > 0) return count;
      const int error = SSL_get_error(m_tls, count);
      if (error == SSL_ERROR_WANT_READ) {
        waitEvents = POLLIN;
      } else if (error != SSL_ERROR_WANT_WRITE) {
        return -1;
      }
    } else {
      // MSG_NOSIGNAL: a client gone is a failed write, not a SIGPIPE.
      const ssize_t count = send(m_socket, ptr, size, MSG_NOSIGNAL);
      if (count >= 0) return count;
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    }
    if (WaitFor(waitEvents, m_writeTimeoutMs) != Ready::kYes) return -1;
  }
}

bool SocketAddressText(const sockaddr_storage& address, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) {
      inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], text, sizeof text);
    } else {
      inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    }
    port = ntohs(v6.sin6_port);
  } else {
    return false;
  }
  ip = text;
  return true;
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getpeername(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    SocketAddressText(address, ip, port);
  }
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    SocketAddressText(address, ip, port);
  }
}
