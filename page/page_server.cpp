// Routes of the page's server.
#include "page/page_server.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>

#include "config/text_encoding.h"
#include "decode/json_text.h"
#include "page/page_assets.h"
#include "platform/posix_io.h"

namespace {

using httplib::Request;
using httplib::Response;

// A refused client may come back after this many seconds; one that made too
// many requests after one.
constexpr const char* kRetryAfterRefusalSeconds = "5";
constexpr const char* kRetryAfterRateSeconds = "1";
// The page's event stream asks the browser to come back this soon after the
// connection is lost.
constexpr const char* kStreamRetry = "retry: 3000\n";
// The log is sent in pieces of this size.
constexpr size_t kLogChunkBytes = 64 * 1024;
// How far back from the end a download looks for the last whole line.
constexpr size_t kLastLineSearchBytes = 64 * 1024;

// Every answer: scripts, styles and connections from the page's own origin
// only, no framing, nothing sniffed, no referrer, nothing cached unless an
// answer says otherwise.
const httplib::Headers kSecurityHeaders = {
    {"Content-Security-Policy",
     "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; connect-src 'self'; "
     "form-action 'self'; base-uri 'none'; frame-ancestors 'none'"},
    {"X-Frame-Options", "DENY"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"Cache-Control", "no-store"},
    {"Cross-Origin-Resource-Policy", "same-origin"},
};

// Files anyone may fetch: the sign-in form and what it is drawn with.
bool IsPublicPath(const std::string& path) {
  return path == "/login" || path == "/page.css" || path == "/icon.svg";
}

bool IsApiPath(const std::string& path) { return path.rfind("/api/", 0) == 0; }

// Sends bytes as they are. The library would compress a body set otherwise,
// with brotli at its slowest setting when the client offers it (36 ms of
// processor time for the script, 300 ms for the state), and a client could
// ask for that again and again; the page is small and goes over a local
// network, so it goes uncompressed. bytes must outlive the response.
void SetUncompressed(std::string_view bytes, const std::string& contentType, Response& response) {
  response.set_content_provider(bytes.size(), contentType,
                                [bytes](size_t offset, size_t length, httplib::DataSink& sink) {
                                  return sink.write(bytes.data() + offset, length);
                                });
}

// As above, for bytes made for this response.
void SetUncompressed(std::string bytes, const std::string& contentType, Response& response) {
  auto kept = std::make_shared<const std::string>(std::move(bytes));
  response.set_content_provider(kept->size(), contentType,
                                [kept](size_t offset, size_t length, httplib::DataSink& sink) {
                                  return sink.write(kept->data() + offset, length);
                                });
}

void SetText(int status, const std::string& text, const Request& request, Response& response) {
  response.status = status;
  if (IsApiPath(request.path)) {
    std::string json = "{\"error\":";
    AppendJsonString(text, json);
    json += '}';
    SetUncompressed(std::move(json), "application/json", response);
  } else {
    SetUncompressed(text + "\n", "text/plain; charset=utf-8", response);
  }
}

// What an error status means to the person who made the request.
std::string ErrorText(int status) {
  switch (status) {
    case 404:
      return "There is nothing here.";
    case 408:
      return "The request took too long to arrive.";
    case 413:
    case 431:
      return "The request is too large.";
    case 414:
      return "The address is too long.";
    case 503:
      return "The page cannot take more clients now; try again in a moment.";
    default:
      break;
  }
  return status < 500 ? "The request cannot be answered (status " + std::to_string(status) + ")."
                      : "The page failed to answer (status " + std::to_string(status) + ").";
}

std::string HtmlEscaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string SseMessage(const char* event, const std::string& json) {
  return std::string("event: ") + event + "\ndata: " + json + "\n\n";
}

// A file name for the download's header: the log's own name, as ASCII with
// anything else replaced, and whole in UTF-8 (RFC 6266, RFC 8187).
std::string AttachmentHeader(const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  std::string ascii;
  std::string utf8;
  AppendShownTextAsUtf8(name, utf8);
  std::string encoded;
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = std::isalnum(byte) || c == '.' || c == '-' || c == '_';
    if (plain) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    ascii += (byte < 0x80 && (std::isalnum(byte) || c == '.' || c == '-' || c == '_')) ? c : '_';
  }
  return "attachment; filename=\"" + ascii + "\"; filename*=UTF-8''" + encoded;
}

// The size of the log's whole lines: what a download sends, so it never
// ends in the middle of a line being written.
off_t WholeLinesSize(int fd, off_t size) {
  const off_t searchFrom =
      size > static_cast<off_t>(kLastLineSearchBytes) ? size - static_cast<off_t>(kLastLineSearchBytes) : 0;
  std::string tail(static_cast<size_t>(size - searchFrom), '\0');
  const ssize_t count = RetryOnInterrupt([&] { return pread(fd, tail.data(), tail.size(), searchFrom); });
  if (count <= 0) return size;
  const size_t lastLineEnd = std::string_view(tail.data(), static_cast<size_t>(count)).rfind('\n');
  if (lastLineEnd == std::string::npos) return searchFrom == 0 ? 0 : size;
  return searchFrom + static_cast<off_t>(lastLineEnd) + 1;
}

}  // namespace

PageServer::PageServer(LiveState& state, const PageLimits& limits, TlsContext tls, std::string token)
    : m_state(state),
      m_limits(limits),
      m_tls(std::move(tls)),
      m_token(std::move(token)),
      m_rate(limits),
      m_http(limits, m_tls.get()) {
  SetUpRoutes();
}

bool PageServer::Start(const std::string& address, int port, std::string& error) {
  if (!m_http.Bind(address, port, error)) return false;
  m_access = std::make_unique<AccessGuard>(m_token, m_http.port());
  m_listener = std::thread([this] {
    m_http.listen_after_bind();
    m_listenerEnded = true;
  });
  // The library's stop() ends only a server that runs, and Stop may come at once.
  while (!m_http.is_running() && !m_listenerEnded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void PageServer::Stop() {
  if (!m_listener.joinable()) return;
  m_state.Close();
  m_http.WakeConnections();
  m_http.stop();
  m_listener.join();
}

void PageServer::SetUpRoutes() {
  m_http.set_default_headers(kSecurityHeaders);
  m_http.set_pre_routing_handler(
      [this](const Request& request, Response& response) { return Screen(request, response); });
  m_http.set_error_handler([](const Request& request, Response& response) {
    // The library answers 400 to a request it could not read; say why.
    ConnectionContext* connection = GuardedHttpServer::Current();
    if (response.status == 400 && connection->stream->deadlinePassed()) response.status = 408;
    if (response.status == 400 && connection->stream->budgetExceeded()) response.status = 431;
    // After these, what else the client sent cannot be read as requests.
    if (response.status == 400 || response.status == 408 || response.status == 413 ||
        response.status == 414 || response.status == 431) {
      connection->closeAfterAnswer = true;
      response.set_header("Connection", "close");
    }
    if (!response.has_header("Content-Type"))
      SetText(response.status, ErrorText(response.status), request, response);
  });

  m_http.Get("/", [this](const Request&, Response& response) { ServeAsset("index.html", response); });
  // The page's files by path; the icon is the program's own.
  static constexpr std::pair<const char*, const char*> kFiles[] = {
      {"/page.css", "page.css"}, {"/page.js", "page.js"}, {"/icon.svg", "plenx_logger.svg"}};
  for (const auto& [path, name] : kFiles) {
    m_http.Get(path, [this, name = name](const Request&, Response& response) {
      ServeAsset(name, response);
      // The files change only with the program; a browser asks again each time.
      response.set_header("Cache-Control", "no-cache");
    });
  }
  m_http.Get("/login",
             [this](const Request& request, Response& response) { ServeSignIn(request, response); });
  m_http.Post("/login",
              [this](const Request& request, Response& response) { ServeSignIn(request, response); });
  m_http.Get("/api/state", [this](const Request&, Response& response) {
    SetUncompressed(m_state.StateJson(), "application/json", response);
  });
  m_http.Get("/api/events", [this](const Request&, Response& response) {
    SetUncompressed(m_state.EventsJson(), "application/json", response);
  });
  m_http.Get("/api/stream", [this](const Request&, Response& response) { ServeStream(response); });
  m_http.Get("/log", [this](const Request&, Response& response) { ServeLog(response); });
}

httplib::Server::HandlerResponse PageServer::Screen(const Request& request, Response& response) {
  using HandlerResponse = httplib::Server::HandlerResponse;
  const ConnectionContext* connection = GuardedHttpServer::Current();
  if (connection->refusal != Refusal::kNone) {
    response.set_header("Retry-After", kRetryAfterRefusalSeconds);
    response.set_header("Connection", "close");
    SetText(503,
            connection->refusal == Refusal::kTooManyClients
                ? "Too many clients are connected to this page; try again in a moment."
                : "Too many connections come from your address; close some and try again.",
            request, response);
    return HandlerResponse::Handled;
  }
  if (!m_rate.Allow(connection->address, RequestRateLimiter::Clock::now())) {
    response.set_header("Retry-After", kRetryAfterRateSeconds);
    SetText(429, "Too many requests; slow down.", request, response);
    return HandlerResponse::Handled;
  }
  // An open page answers only to this machine's own names, so no other web
  // site can reach it through a name of its own pointed at this machine.
  if (!m_access->needsToken() && !AccessGuard::IsLoopbackHost(request.get_header_value("Host"))) {
    SetText(421, "This page answers only on this machine, as 127.0.0.1 or localhost.", request, response);
    return HandlerResponse::Handled;
  }
  const bool reads = request.method == "GET" || request.method == "HEAD";
  if (!reads && !(request.method == "POST" && request.path == "/login")) {
    response.set_header("Allow", "GET, HEAD");
    SetText(405, "This page only shows; nothing here can be changed.", request, response);
    return HandlerResponse::Handled;
  }
  if (m_access->needsToken() && !IsPublicPath(request.path) &&
      !m_access->Allows(request.get_header_value("Authorization"), request.get_header_value("Cookie"))) {
    if (request.path == "/") {
      response.set_redirect("/login", 303);
    } else {
      response.set_header("WWW-Authenticate", "Bearer realm=\"plenx-logger\"");
      SetText(401, "Sign in first: give the access token as \"Authorization: Bearer <token>\".", request,
              response);
    }
    return HandlerResponse::Handled;
  }
  return HandlerResponse::Unhandled;
}

void PageServer::ServeAsset(const char* name, Response& response) const {
  const PageAsset* asset = FindPageAsset(name);
  if (!asset) {
    response.status = 404;
    return;
  }
  SetUncompressed(asset->bytes, std::string(asset->contentType), response);
}

void PageServer::SetSessionCookie(const std::string& session, Response& response) const {
  std::string cookie = m_access->cookieName() + "=" + session + "; Path=/; HttpOnly; SameSite=Strict";
  if (m_tls) cookie += "; Secure";
  response.set_header("Set-Cookie", cookie);
}

void PageServer::ServeSignIn(const Request& request, Response& response) {
  if (!m_access->needsToken()) {
    response.set_redirect("/", 303);
    return;
  }
  std::string message;
  const bool posted = request.method == "POST";
  if (posted || request.has_param("code")) {
    const std::string session = posted ? m_access->SignInWithToken(request.get_param_value("token"))
                                       : m_access->SignInWithCode(request.get_param_value("code"));
    if (!session.empty()) {
      SetSessionCookie(session, response);
      // A page, not a redirect: the browser then sends its new cookie to the
      // page even when the link was opened from another application.
      ServeAsset("signed-in.html", response);
      return;
    }
    response.status = posted ? 401 : 403;
    message = posted ? "That is not the access token. Type it again."
                     : "This sign-in link has been used already; a link works once. Type the access token.";
  }
  const PageAsset* form = FindPageAsset("login.html");
  std::string html(form->bytes);
  static constexpr std::string_view kMessageMark = "<!--message-->";
  const size_t mark = html.find(kMessageMark);
  if (mark != std::string::npos && !message.empty()) {
    html.replace(mark, kMessageMark.size(), "<p class=\"sign-in-message\">" + HtmlEscaped(message) + "</p>");
  }
  SetUncompressed(std::move(html), std::string(form->contentType), response);
}

void PageServer::ServeStream(Response& response) {
  if (m_streams.fetch_add(1) >= m_limits.maxStreams) {
    m_streams.fetch_sub(1);
    response.status = 503;
    response.set_header("Retry-After", kRetryAfterRefusalSeconds);
    return;
  }
  m_state.StreamOpened();
  // What the stream has sent: nothing yet, or every change up to a version.
  struct Cursor {
    bool started = false;
    uint64_t version = 0;
  };
  auto cursor = std::make_shared<Cursor>();
  const auto pingInterval = std::chrono::milliseconds(m_limits.pingIntervalMs);
  response.set_chunked_content_provider(
      "text/event-stream",
      [this, cursor, pingInterval](size_t, httplib::DataSink& sink) {
        std::string messages;
        FeedWait wait;
        if (cursor->started) wait = m_state.WaitForChanges(cursor->version, pingInterval);
        if (wait.closed) {
          messages = SseMessage("bye", "{}");
          sink.write(messages.data(), messages.size());
          sink.done();
          return true;
        }
        bool resend = !cursor->started || wait.tooFarBehind;
        for (const auto& change : wait.changes) resend = resend || change->resendsState();
        if (resend) {
          if (!cursor->started) messages = kStreamRetry;
          cursor->started = true;
          messages += SseMessage("state", m_state.StateJson(&cursor->version));
        } else if (wait.changes.empty()) {
          messages =
              SseMessage("ping", std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                    std::chrono::system_clock::now().time_since_epoch())
                                                    .count()));
        } else {
          for (const auto& change : wait.changes) messages += change->Message();
          cursor->version = wait.version;
        }
        return sink.write(messages.data(), messages.size());
      },
      [this](bool) {
        m_state.StreamClosed();
        m_streams.fetch_sub(1);
      });
}

void PageServer::ServeLog(Response& response) const {
  const std::string path = m_state.LogPath();
  if (path.empty()) {
    response.status = 404;
    SetUncompressed(std::string_view("This run keeps no log.\n"), "text/plain; charset=utf-8", response);
    return;
  }
  // Non-blocking, so a FIFO in the log's place cannot hold the thread.
  const int fd = OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat status {};
  if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (fd >= 0) CloseFile(fd);
    response.status = 404;
    SetUncompressed(std::string_view("The log file is not there now.\n"), "text/plain; charset=utf-8",
                    response);
    return;
  }
  const off_t size = WholeLinesSize(fd, status.st_size);
  response.set_header("Content-Disposition", AttachmentHeader(path));
  response.set_content_provider(
      static_cast<size_t>(size), "text/plain; charset=windows-1252",
      [fd](size_t offset, size_t length, httplib::DataSink& sink) {
        std::string chunk(std::min(length, kLogChunkBytes), '\0');
        const ssize_t count = RetryOnInterrupt(
            [&] { return pread(fd, chunk.data(), chunk.size(), static_cast<off_t>(offset)); });
        return count > 0 && sink.write(chunk.data(), static_cast<size_t>(count));
      },
      [fd](bool) { CloseFile(fd); });
}
