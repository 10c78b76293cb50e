// Connections of the page's server.
#include "page/guarded_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string_view>

#include "page/connection_threads.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"

namespace {

// Threads beyond the connection limit, which answer refused connections.
constexpr size_t kRefusingThreads = 4;
// After a request that broke off, how long the client may go on sending
// before the connection closes; reading it first lets the answer arrive
// instead of a reset.
constexpr int kDrainTimeoutMs = 500;
constexpr size_t kMaxDrainBytes = 64 * 1024;

thread_local ConnectionContext* t_connection = nullptr;

// The answers to a request that broke off before the library had read its
// request line, which it closes without an answer: the client learns why.
constexpr std::string_view kRequestTimeoutAnswer =
    "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
constexpr std::string_view kRequestTooLargeAnswer =
    "HTTP/1.1 431 Request Header Fields Too Large\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";

void DrainAndClose(int sock) {
  shutdown(sock, SHUT_WR);
  char discard[4096];
  size_t drained = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDrainTimeoutMs);
  while (drained < kMaxDrainBytes) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd readable{sock, POLLIN, 0};
    if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
    const ssize_t count = recv(sock, discard, sizeof discard, 0);
    if (count <= 0) break;
    drained += static_cast<size_t>(count);
  }
}

}  // namespace

GuardedHttpServer::GuardedHttpServer(const PageLimits& limits, SSL_CTX* tls)
    : m_limits(limits), m_tls(tls), m_connections(limits) {
  m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  const size_t maxThreads = static_cast<size_t>(limits.maxClients) + kRefusingThreads;
  new_task_queue = [maxThreads] { return new ConnectionThreads(maxThreads); };
  // The library names these in its Keep-Alive header; Serve keeps to them.
  set_keep_alive_max_count(static_cast<size_t>(limits.maxRequestsPerConnection));
  set_keep_alive_timeout(limits.idleTimeoutMs / 1000);
  set_payload_max_length(limits.maxRequestBytes);
}

GuardedHttpServer::~GuardedHttpServer() {
  // A socket bound but never served is closed here; stop() closes a served one.
  if (!is_running() && svr_sock_ != INVALID_SOCKET) CloseFile(svr_sock_.exchange(INVALID_SOCKET));
  if (m_wakeFd >= 0) CloseFile(m_wakeFd);
}

bool GuardedHttpServer::Bind(const std::string& address, int port, std::string& error) {
  sockaddr_storage bound{};
  socklen_t length = 0;
  auto& v4 = reinterpret_cast<sockaddr_in&>(bound);
  auto& v6 = reinterpret_cast<sockaddr_in6&>(bound);
  if (inet_pton(AF_INET, address.c_str(), &v4.sin_addr) == 1) {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<uint16_t>(port));
    length = sizeof v4;
  } else if (inet_pton(AF_INET6, address.c_str(), &v6.sin6_addr) == 1) {
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<uint16_t>(port));
    length = sizeof v6;
  } else {
    error = address + " is not an IP address.";
    return false;
  }
  const std::string where =
      (bound.ss_family == AF_INET6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
  if (m_wakeFd < 0) {
    error = "Cannot serve the page on " + where + ": " + SystemErrorText(errno) + ".";
    return false;
  }
  const int sock = ::socket(bound.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  if (sock < 0 || setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      ::bind(sock, reinterpret_cast<const sockaddr*>(&bound), length) != 0 ||
      ::listen(sock, SOMAXCONN) != 0) {
    error = "Cannot serve the page on " + where + ": " + SystemErrorText(errno) + ".";
    if (sock >= 0) CloseFile(sock);
    return false;
  }
  length = sizeof bound;
  getsockname(sock, reinterpret_cast<sockaddr*>(&bound), &length);
  std::string ip;
  SocketAddressText(bound, ip, m_port);
  svr_sock_ = sock;
  return true;
}

void GuardedHttpServer::WakeConnections() {
  const uint64_t one = 1;
  WriteSome(m_wakeFd, &one, sizeof one);
}

ConnectionContext* GuardedHttpServer::Current() { return t_connection; }

SSL* GuardedHttpServer::AcceptTls(int sock, int timeoutMs) {
  SSL* tls = SSL_new(m_tls);
  if (!tls || SSL_set_fd(tls, sock) != 1) {
    SSL_free(tls);
    return nullptr;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const int result = SSL_accept(tls);
    if (result == 1) return tls;
    const int error = SSL_get_error(tls, result);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if ((error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) || left.count() <= 0) break;
    pollfd fds[2] = {{sock, static_cast<short>(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0},
                     {m_wakeFd, POLLIN, 0}};
    if (RetryOnInterrupt([&] { return poll(fds, 2, static_cast<int>(left.count())); }) <= 0 ||
        fds[1].revents != 0) {
      break;
    }
  }
  SSL_free(tls);
  return nullptr;
}

bool GuardedHttpServer::process_and_close_socket(socket_t sock) {
  fcntl(sock, F_SETFL, fcntl(sock, F_GETFL) | O_NONBLOCK);
  // Event stream messages are small and must not wait for more to join them.
  const int on = 1;
  setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);

  ConnectionContext context;
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  int peerPort = 0;
  if (getpeername(sock, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
    SocketAddressText(peer, context.address, peerPort);
  }
  context.refusal = m_connections.Admit(context.address);
  const bool refused = context.refusal != Refusal::kNone;

  SSL* tls = nullptr;
  if (m_tls) tls = AcceptTls(sock, refused ? m_limits.refusalTimeoutMs : m_limits.handshakeTimeoutMs);
  if (!m_tls || tls) {
    ConnectionStream stream(sock, tls, m_wakeFd, m_limits.writeTimeoutMs);
    context.stream = &stream;
    context.tls = tls != nullptr;
    t_connection = &context;
    Serve(stream, context);
    t_connection = nullptr;
    if (tls) {
      SSL_shutdown(tls);
      SSL_free(tls);
    } else if (refused || context.closeAfterAnswer) {
      DrainAndClose(sock);
    }
  }
  if (!refused) m_connections.Release(context.address);
  shutdown(sock, SHUT_RDWR);
  CloseFile(sock);
  return true;
}

void GuardedHttpServer::Serve(ConnectionStream& stream, ConnectionContext& context) {
  using Clock = ConnectionStream::Clock;
  const bool refused = context.refusal != Refusal::kNone;
  // A refused connection is answered once, and quickly.
  const int requestTimeoutMs = refused ? m_limits.refusalTimeoutMs : m_limits.requestTimeoutMs;
  int requestsLeft = refused ? 1 : m_limits.maxRequestsPerConnection;
  int waitMs = refused ? m_limits.refusalTimeoutMs : m_limits.idleTimeoutMs;
  while (requestsLeft-- > 0 && stream.WaitForRequest(waitMs)) {
    stream.BeginRequest(Clock::now() + std::chrono::milliseconds(requestTimeoutMs), m_limits.maxRequestBytes);
    bool closed = false;
    const bool answered = process_request(stream, requestsLeft == 0, closed, nullptr);
    if (stream.deadlinePassed() || stream.budgetExceeded()) {
      context.closeAfterAnswer = true;
      // Cut off within its request line, which the library answers with nothing.
      if (!answered) {
        const std::string_view answer =
            stream.deadlinePassed() ? kRequestTimeoutAnswer : kRequestTooLargeAnswer;
        stream.write(answer.data(), answer.size());
      }
    }
    if (!answered || closed || context.closeAfterAnswer) break;
    waitMs = m_limits.idleTimeoutMs;
  }
}
