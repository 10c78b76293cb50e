// A client that speaks HTTP by hand, for requests no well-behaved client
// makes: oversized, slow, or many at once.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

class RawClient {
 public:
  explicit RawClient(int port) {
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      close(m_socket);
      m_socket = -1;
    }
  }
  ~RawClient() {
    if (m_socket >= 0) close(m_socket);
  }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  bool connected() const { return m_socket >= 0; }

  // False when the server no longer takes bytes (it closed the connection).
  bool Send(const std::string& bytes) {
    return send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }

  // What the server sent until it closed the connection or timeoutMs passed.
  std::string ReadUntilClosed(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
              .count();
      pollfd readable{m_socket, POLLIN, 0};
      if (left <= 0 || poll(&readable, 1, static_cast<int>(left)) <= 0) return m_received;
      char chunk[4096];
      const ssize_t count = recv(m_socket, chunk, sizeof chunk, 0);
      if (count <= 0) {
        m_closed = true;
        return m_received;
      }
      m_received.append(chunk, static_cast<size_t>(count));
    }
  }

  // What came so far, waiting up to timeoutMs for the end of a response head.
  std::string ReadHead(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_received.find("\r\n\r\n") == std::string::npos && !m_closed) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
              .count();
      pollfd readable{m_socket, POLLIN, 0};
      if (left <= 0 || poll(&readable, 1, static_cast<int>(left)) <= 0) break;
      char chunk[4096];
      const ssize_t count = recv(m_socket, chunk, sizeof chunk, 0);
      if (count <= 0) {
        m_closed = true;
        break;
      }
      m_received.append(chunk, static_cast<size_t>(count));
    }
    return m_received;
  }

  bool closed() const { return m_closed; }

  // The status code of the response read, 0 when none came.
  int Status() const {
    if (m_received.rfind("HTTP/1.1 ", 0) != 0 || m_received.size() < 12) return 0;
    return std::stoi(m_received.substr(9, 3));
  }

 private:
  int m_socket = -1;
  std::string m_received;
  bool m_closed = false;
};
