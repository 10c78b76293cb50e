// A real browser for tests and benchmarks: headless Chromium driven over its
// DevTools protocol on a pipe (JSON messages ending in a NUL byte, on file
// descriptors 3 and 4 of the browser), with a fresh profile each time.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "testkit/child_exit.h"
#include "testkit/json_value.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"

extern char** environ;

// The browser program, or empty when this machine has none.
inline std::string FindChromium() {
  for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return {};
}

// A JSON string literal of text (ASCII and UTF-8 pass through).
inline std::string JsonQuoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

class HeadlessBrowser {
 public:
  // Starts the browser on an empty page and attaches to it; started() tells
  // whether that worked.
  HeadlessBrowser() {
    const std::string program = FindChromium();
    if (program.empty() || m_profile.path().empty()) return;
    int toBrowser[2];
    int fromBrowser[2];
    if (pipe2(toBrowser, O_CLOEXEC) != 0 || pipe2(fromBrowser, O_CLOEXEC) != 0) return;
    // Above the numbers the browser gets them as, so dup2 never meets itself.
    const int browserReads = fcntl(toBrowser[0], F_DUPFD_CLOEXEC, kHighFd);
    const int browserWrites = fcntl(fromBrowser[1], F_DUPFD_CLOEXEC, kHighFd);
    close(toBrowser[0]);
    close(fromBrowser[1]);
    m_toBrowser = toBrowser[1];
    m_fromBrowser = fromBrowser[0];
    const std::vector<std::string> arguments = {program,
                                                "--headless",
                                                "--no-sandbox",
                                                "--disable-gpu",
                                                "--disable-quic",
                                                "--no-first-run",
                                                "--disable-background-networking",
                                                "--disable-component-update",
                                                "--disable-sync",
                                                "--remote-debugging-pipe",
                                                "--user-data-dir=" + m_profile.path(),
                                                "about:blank"};
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, browserReads, 3);
    posix_spawn_file_actions_adddup2(&actions, browserWrites, 4);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(browserReads);
    close(browserWrites);
    if (spawned != 0) {
      m_pid = -1;
      return;
    }
    const std::optional<JsonValue> targets = Send("Target.getTargets", "{}", false);
    if (!targets) return;
    std::string pageTarget;
    for (const JsonValue& target : (*targets)["targetInfos"].array()) {
      if (target["type"].string() == "page") pageTarget = target["targetId"].string();
    }
    const std::optional<JsonValue> attached = Send(
        "Target.attachToTarget", "{\"targetId\":" + JsonQuoted(pageTarget) + ",\"flatten\":true}", false);
    if (attached) m_session = (*attached)["sessionId"].string();
  }

  ~HeadlessBrowser() {
    if (m_pid > 0) {
      Send("Browser.close", "{}", false, kCloseTimeoutMs);
      if (!WaitChildExit(m_pid, kCloseTimeoutMs)) {
        kill(m_pid, SIGKILL);
        WaitChildExit(m_pid, kCloseTimeoutMs);
      }
    }
    if (m_toBrowser >= 0) close(m_toBrowser);
    if (m_fromBrowser >= 0) close(m_fromBrowser);
  }
  HeadlessBrowser(const HeadlessBrowser&) = delete;
  HeadlessBrowser& operator=(const HeadlessBrowser&) = delete;

  bool started() const { return !m_session.empty(); }

  // Calls method of the page with params (a JSON object); its result, or
  // nullopt when it failed or did not answer in time.
  std::optional<JsonValue> Call(const std::string& method, const std::string& params,
                                int timeoutMs = kCallTimeoutMs) {
    return Send(method, params, true, timeoutMs);
  }

  // Lays the page out as a screen width x height CSS pixels wide would;
  // mobile also as a phone does (its viewport meta tag, overlay scroll bars).
  bool SetViewport(int width, int height, bool mobile) {
    return Call("Emulation.setDeviceMetricsOverride",
                "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                    ",\"deviceScaleFactor\":1,\"mobile\":" + (mobile ? "true" : "false") + "}")
        .has_value();
  }

  bool Navigate(const std::string& url) {
    return Call("Page.navigate", "{\"url\":" + JsonQuoted(url) + "}").has_value();
  }

  // The value of a JavaScript expression in the page (a promise is awaited),
  // as JSON; nullopt when it threw or did not answer in time.
  std::optional<JsonValue> Evaluate(const std::string& expression, int timeoutMs = kCallTimeoutMs) {
    const std::optional<JsonValue> result =
        Call("Runtime.evaluate",
             "{\"expression\":" + JsonQuoted(expression) + ",\"awaitPromise\":true,\"returnByValue\":true}",
             timeoutMs);
    if (!result || (*result).has("exceptionDetails")) return std::nullopt;
    return (*result)["result"]["value"];
  }

  // Waits until condition (a JavaScript expression) holds in the page, then
  // gives the value of expression; nullopt when it does not within
  // timeoutMs. Asked again and again, so a page that navigates meanwhile
  // (a redirect, a refresh) is asked again once it is there.
  std::optional<JsonValue> WaitFor(const std::string& condition, const std::string& expression,
                                   int timeoutMs) {
    const std::string check = "(() => { try { if (" + condition + ") return { value: (" + expression +
                              ") }; } catch (e) {} return null; })()";
    std::optional<JsonValue> found;
    WaitUntil(
        [&] {
          const std::optional<JsonValue> result = Evaluate(check, kCallTimeoutMs);
          if (result && !result->isNull()) found = (*result)["value"];
          return found.has_value();
        },
        timeoutMs);
    return found;
  }

  // A PNG of the whole page as laid out now; empty when it failed.
  std::string Screenshot() {
    const std::optional<JsonValue> metrics = Call("Page.getLayoutMetrics", "{}");
    if (!metrics) return {};
    const JsonValue& size = (*metrics)["cssContentSize"];
    const std::string clip = "{\"x\":0,\"y\":0,\"width\":" + std::to_string(size["width"].number()) +
                             ",\"height\":" + std::to_string(size["height"].number()) + ",\"scale\":1}";
    const std::optional<JsonValue> shot =
        Call("Page.captureScreenshot",
             "{\"format\":\"png\",\"captureBeyondViewport\":true,\"clip\":" + clip + "}");
    return shot ? Base64Decoded((*shot)["data"].string()) : std::string();
  }

 private:
  static constexpr int kHighFd = 10;
  static constexpr int kCallTimeoutMs = 30'000;
  static constexpr int kCloseTimeoutMs = 5'000;

  static std::string Base64Decoded(const std::string& text) {
    std::string bytes;
    uint32_t bits = 0;
    int bitCount = 0;
    for (const char c : text) {
      int value = -1;
      if (c >= 'A' && c <= 'Z') value = c - 'A';
      if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
      if (c >= '0' && c <= '9') value = c - '0' + 52;
      if (c == '+') value = 62;
      if (c == '/') value = 63;
      if (value < 0) continue;
      bits = (bits << 6) | static_cast<uint32_t>(value);
      bitCount += 6;
      if (bitCount >= 8) {
        bitCount -= 8;
        bytes += static_cast<char>((bits >> bitCount) & 0xFF);
      }
    }
    return bytes;
  }

  std::optional<JsonValue> Send(const std::string& method, const std::string& params, bool toPage,
                                int timeoutMs = kCallTimeoutMs) {
    if (m_toBrowser < 0) return std::nullopt;
    const int id = ++m_lastId;
    std::string message =
        "{\"id\":" + std::to_string(id) + ",\"method\":" + JsonQuoted(method) + ",\"params\":" + params;
    if (toPage) message += ",\"sessionId\":" + JsonQuoted(m_session);
    message += "}";
    message += '\0';
    for (size_t written = 0; written < message.size();) {
      const ssize_t count = write(m_toBrowser, message.data() + written, message.size() - written);
      if (count <= 0) return std::nullopt;
      written += static_cast<size_t>(count);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      // Events and answers to other calls come between; they are passed over.
      for (size_t end; (end = m_buffer.find('\0')) != std::string::npos;) {
        const std::optional<JsonValue> answer = JsonValue::Parse(std::string_view(m_buffer).substr(0, end));
        m_buffer.erase(0, end + 1);
        if (!answer || (*answer)["id"].number() != id) continue;
        if ((*answer).has("error")) return std::nullopt;
        return (*answer)["result"];
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
              .count();
      pollfd readable{m_fromBrowser, POLLIN, 0};
      if (left <= 0 || poll(&readable, 1, static_cast<int>(left)) <= 0) return std::nullopt;
      char chunk[65536];
      const ssize_t count = read(m_fromBrowser, chunk, sizeof chunk);
      if (count <= 0) return std::nullopt;
      m_buffer.append(chunk, static_cast<size_t>(count));
    }
  }

  TempFolder m_profile;
  pid_t m_pid = -1;
  int m_toBrowser = -1;
  int m_fromBrowser = -1;
  int m_lastId = 0;
  std::string m_session;
  std::string m_buffer;
};
