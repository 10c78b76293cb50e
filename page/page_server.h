// The page's HTTP server: the page and its files, the sign-in, the JSON API,
// the event stream and the log's download, over the live state; on threads
// of its own from Start to Stop.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "page/access_guard.h"
#include "page/client_limits.h"
#include "page/guarded_http_server.h"
#include "page/live_state.h"
#include "page/page_limits.h"
#include "page/tls_context.h"

class PageServer {
 public:
  // state outlives the server. tls: the context of HTTPS, or nullptr for
  // plain HTTP. token: empty for an open page.
  PageServer(LiveState& state, const PageLimits& limits, TlsContext tls, std::string token);
  ~PageServer() { Stop(); }
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  // Binds address:port (0: a free port) and starts serving. False, with
  // error naming the address and the reason, when it cannot bind.
  bool Start(const std::string& address, int port, std::string& error);
  // Ends every stream and connection and joins the threads. Idempotent.
  void Stop();

  int port() const { return m_http.port(); }
  // Who may read the page; set up by Start.
  const AccessGuard& access() const { return *m_access; }

 private:
  void SetUpRoutes();
  // Checks that come before any route: refusals, the request rate, the
  // host, the method and the access token.
  httplib::Server::HandlerResponse Screen(const httplib::Request& request, httplib::Response& response);
  void ServeAsset(const char* name, httplib::Response& response) const;
  void ServeSignIn(const httplib::Request& request, httplib::Response& response);
  void ServeStream(httplib::Response& response);
  void ServeLog(httplib::Response& response) const;
  void SetSessionCookie(const std::string& session, httplib::Response& response) const;

  LiveState& m_state;
  const PageLimits m_limits;
  const TlsContext m_tls;
  const std::string m_token;
  std::unique_ptr<AccessGuard> m_access;  // names its cookie after the port bound
  RequestRateLimiter m_rate;
  GuardedHttpServer m_http;
  std::atomic<int> m_streams{0};
  std::thread m_listener;
  std::atomic<bool> m_listenerEnded{false};
};
