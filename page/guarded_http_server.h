// The HTTP library's server with the page's own connection handling: its
// own listening socket (the system's full backlog, the reason when it cannot
// bind), a thread per connection in service up to the limits, every request
// held to a deadline and a size however slowly it comes, optional TLS, and
// every wait cut short when the server stops. Requests are parsed and
// answered by the library.
#pragma once

#include <httplib.h>
#include <openssl/ssl.h>

#include <string>

#include "page/client_limits.h"
#include "page/connection_stream.h"
#include "page/page_limits.h"

// The connection a request came on, for the handlers.
struct ConnectionContext {
  std::string address;  // the client's IP address
  Refusal refusal = Refusal::kNone;
  const ConnectionStream* stream = nullptr;
  bool tls = false;
  // The request was answered with an error after which the rest of what the
  // client sent cannot be read as requests (a head or body too large, a
  // request cut off): the connection closes after the answer.
  bool closeAfterAnswer = false;
};

class GuardedHttpServer final : public httplib::Server {
 public:
  // tls: the context of every connection's TLS session, or nullptr for plain
  // HTTP; it outlives the server.
  GuardedHttpServer(const PageLimits& limits, SSL_CTX* tls);
  ~GuardedHttpServer() override;
  GuardedHttpServer(const GuardedHttpServer&) = delete;
  GuardedHttpServer& operator=(const GuardedHttpServer&) = delete;

  // Binds address (an IPv4 or IPv6 address) and port (0: a free one) and
  // listens; listen_after_bind() then serves. False, with error naming the
  // address and the reason, when it cannot.
  bool Bind(const std::string& address, int port, std::string& error);
  int port() const { return m_port; }

  // Ends the waits of every connection, for good: each closes as soon as it
  // notices. Call before stop().
  void WakeConnections();

  // The connection the calling thread serves; nullptr outside a handler.
  static ConnectionContext* Current();

 private:
  bool process_and_close_socket(socket_t sock) override;
  // Answers the connection's requests until it closes, idles, misbehaves
  // or the server stops.
  void Serve(ConnectionStream& stream, ConnectionContext& context);
  // The TLS session of sock after its handshake; nullptr when it failed.
  SSL* AcceptTls(int sock, int timeoutMs);

  const PageLimits m_limits;
  SSL_CTX* const m_tls;
  ConnectionCounter m_connections;
  int m_wakeFd = -1;
  int m_port = 0;
};
