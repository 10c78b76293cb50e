// One client connection as the HTTP library reads and writes it: a
// non-blocking socket, optionally TLS, whose every wait also ends when the
// server stops, and whose requests are held to a deadline and a byte budget
// however slowly their bytes come.
#pragma once

#include <httplib.h>
#include <openssl/ssl.h>

#include <array>
#include <chrono>
#include <cstddef>

class ConnectionStream final : public httplib::Stream {
 public:
  using Clock = std::chrono::steady_clock;

  // socket: connected, owned by the caller. tls: an accepted TLS session on
  // it, or nullptr. wakeFd: readable once the server stops. writeTimeoutMs:
  // the longest one write may wait for the client to take bytes.
  ConnectionStream(int socket, SSL* tls, int wakeFd, int writeTimeoutMs);

  // Waits up to timeoutMs for the client's next request to begin. False when
  // it closed the connection or sent nothing in time, or the server stops.
  bool WaitForRequest(int timeoutMs);
  // Holds the request that begins now to a deadline and a byte count: reads
  // past either fail.
  void BeginRequest(Clock::time_point deadline, size_t maxBytes);
  bool deadlinePassed() const { return m_deadlinePassed; }
  bool budgetExceeded() const { return m_budgetExceeded; }

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return m_socket; }

 private:
  enum class Ready { kYes, kTimedOut, kWoken, kFailed };
  // Polls the socket for events until timeoutMs pass or the server stops.
  Ready WaitFor(short events, int timeoutMs) const;
  // Reads what has arrived into the buffer, waiting until the deadline; the
  // count read, 0 at the end, -1 on a failure or a passed deadline.
  ssize_t Fill();
  int RemainingMs() const;

  int m_socket;
  SSL* m_tls;
  int m_wakeFd;
  int m_writeTimeoutMs;
  Clock::time_point m_deadline = Clock::time_point::max();
  size_t m_bytesLeft = static_cast<size_t>(-1);
  bool m_deadlinePassed = false;
  bool m_budgetExceeded = false;
  std::array<char, 4096> m_buffer{};
  size_t m_bufferStart = 0;
  size_t m_bufferEnd = 0;
};

// The text form of a socket address's IP ("192.168.1.20", "::1"; an IPv4
// address mapped into IPv6 as IPv4) and its port. False when it has none.
bool SocketAddressText(const sockaddr_storage& address, std::string& ip, int& port);
