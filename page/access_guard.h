// Who may read the page: on a loopback address anyone on this machine (with
// the address's own host name, so no web site can reach it through a name
// of its own); elsewhere only a browser that signed in or a program that
// gives the access token.
//
// The token is random (or read from a file) and never written anywhere by
// this code. A browser signs in once, with the one-time sign-in code of the
// link the caller shows, or by typing the token into the sign-in form; it
// then holds a session cookie of its own. A token in a URL is never taken.
// Every comparison of a secret takes the same time whatever it is compared
// with.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// Sessions kept; signing in once more drops the oldest.
inline constexpr size_t kMaxSessions = 64;
// Random bytes of a generated token.
inline constexpr size_t kGeneratedTokenBytes = 32;
// Length of a token read from a file, in characters.
inline constexpr size_t kMinTokenLength = 16;
inline constexpr size_t kMaxTokenLength = 256;

// A fresh random secret: bytes from the system's random source, written in
// URL-safe Base64 without padding (43 characters for 32 bytes). Empty when
// the system gives no random bytes.
std::string RandomSecret(size_t bytes);

// The token in the file at path: its first line, without the line end.
// False, with error naming the file and the reason, when it cannot be read
// or holds no usable token (16 to 256 printable ASCII characters, no blank).
bool ReadTokenFile(const std::string& path, std::string& token, std::string& error);

// True when the two secrets are equal; the time taken does not depend on
// where they differ, nor on the length of the right one.
bool SecretsEqual(const std::string& given, const std::string& expected);

class AccessGuard {
 public:
  // Without a token (empty) the page is open to this machine alone; with
  // one, every request must show it or a session. The sign-in code is made
  // here. port names the session cookie, so two loggers on one host keep
  // apart.
  AccessGuard(std::string token, int port);

  bool needsToken() const { return !m_token.empty(); }
  const std::string& token() const { return m_token; }
  // The one-time code of the sign-in link (empty without a token).
  const std::string& signInCode() const { return m_signInCode; }
  const std::string& cookieName() const { return m_cookieName; }

  // Open page: whether the request's Host header names this machine's
  // loopback ("127.0.0.1", "localhost", "[::1]", with any port).
  static bool IsLoopbackHost(const std::string& host);

  // Whether a request with these Authorization and Cookie header values
  // may read the page. Any thread.
  bool Allows(const std::string& authorization, const std::string& cookie) const;

  // Signs a browser in with the link's code (once only) or the token typed
  // in. The new session's cookie value, or empty when the code is used or
  // wrong, or the token wrong.
  std::string SignInWithCode(const std::string& code);
  std::string SignInWithToken(const std::string& token);

 private:
  std::string NewSession();

  const std::string m_token;
  const std::string m_cookieName;
  mutable std::mutex m_mutex;
  std::string m_signInCode;
  bool m_signInCodeUsed = false;
  std::vector<std::string> m_sessions;  // oldest first
};
