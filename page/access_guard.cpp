// Tokens, sign-in and sessions of the page.
#include "page/access_guard.h"

#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <sys/random.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/posix_io.h"
#include "platform/system_error_text.h"

namespace {

// Sign-in codes are shorter than tokens: they work once.
constexpr size_t kSignInCodeBytes = 24;
constexpr size_t kSessionBytes = 32;
// A token file larger than this holds no token.
constexpr size_t kMaxTokenFileBytes = 4096;

using Digest = std::array<unsigned char, 32>;

Digest Sha256(const std::string& text) {
  Digest digest{};
  unsigned int length = 0;
  EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr);
  return digest;
}

std::string Base64Url(const unsigned char* bytes, size_t count) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string text;
  uint32_t bits = 0;
  int bitCount = 0;
  for (size_t i = 0; i < count; ++i) {
    bits = (bits << 8) | bytes[i];
    bitCount += 8;
    while (bitCount >= 6) {
      bitCount -= 6;
      text += kAlphabet[(bits >> bitCount) & 0x3F];
    }
  }
  if (bitCount > 0) text += kAlphabet[(bits << (6 - bitCount)) & 0x3F];
  return text;
}

// The value of cookie name in a Cookie header ("a=1; name=value; b=2").
std::string CookieValue(const std::string& header, const std::string& name) {
  size_t start = 0;
  while (start < header.size()) {
    size_t end = header.find(';', start);
    if (end == std::string::npos) end = header.size();
    size_t first = start;
    while (first < end && header[first] == ' ') ++first;
    const size_t equals = header.find('=', first);
    if (equals < end && header.compare(first, equals - first, name) == 0) {
      return header.substr(equals + 1, end - equals - 1);
    }
    start = end + 1;
  }
  return {};
}

}  // namespace

std::string RandomSecret(size_t bytes) {
  std::vector<unsigned char> random(bytes);
  size_t filled = 0;
  while (filled < bytes) {
    const ssize_t count =
        RetryOnInterrupt([&] { return getrandom(random.data() + filled, bytes - filled, 0); });
    if (count <= 0) return {};
    filled += static_cast<size_t>(count);
  }
  return Base64Url(random.data(), random.size());
}

bool ReadTokenFile(const std::string& path, std::string& token, std::string& error) {
  const int fd = OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = "Cannot read the token file " + path + ": " + SystemErrorText(errno) + ".";
    return false;
  }
  const std::optional<std::string> content = ReadToEnd(fd, kMaxTokenFileBytes + 1);
  const int readError = errno;
  CloseFile(fd);
  if (!content) {
    error = "Cannot read the token file " + path + ": " + SystemErrorText(readError) + ".";
    return false;
  }
  std::string line = content->substr(0, content->find('\n'));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const bool printable = std::all_of(line.begin(), line.end(), [](char c) { return c > ' ' && c < 0x7F; });
  if (content->size() > kMaxTokenFileBytes || !printable || line.size() < kMinTokenLength ||
      line.size() > kMaxTokenLength) {
    error = "The token file " + path + " holds no usable token: its first line must be " +
            std::to_string(kMinTokenLength) + " to " + std::to_string(kMaxTokenLength) +
            " letters, digits or punctuation marks, without blanks.";
    return false;
  }
  token = std::move(line);
  return true;
}

bool SecretsEqual(const std::string& given, const std::string& expected) {
  // Comparing digests takes the same time for any two texts of any lengths.
  const Digest left = Sha256(given);
  const Digest right = Sha256(expected);
  return CRYPTO_memcmp(left.data(), right.data(), left.size()) == 0;
}

AccessGuard::AccessGuard(std::string token, int port)
    : m_token(std::move(token)), m_cookieName("plenx_session_" + std::to_string(port)) {
  if (!m_token.empty()) m_signInCode = RandomSecret(kSignInCodeBytes);
}

bool AccessGuard::IsLoopbackHost(const std::string& host) {
  std::string name = host;
  if (!name.empty() && name.front() == '[') {
    name = name.substr(0, name.find(']') + 1);
  } else {
    name = name.substr(0, name.find(':'));
  }
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  if (name == "localhost" || name == "[::1]") return true;
  // 127.0.0.0/8, written as four decimal numbers.
  int parts[4] = {};
  char rest = 0;
  if (std::sscanf(name.c_str(), "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2], &parts[3], &rest) != 4) {
    return false;
  }
  return parts[0] == 127 &&
         std::all_of(parts + 1, parts + 4, [](int part) { return part >= 0 && part <= 255; });
}

bool AccessGuard::Allows(const std::string& authorization, const std::string& cookie) const {
  if (m_token.empty()) return true;
  static constexpr std::string_view kBearer = "Bearer ";
  if (authorization.size() > kBearer.size() &&
      std::equal(kBearer.begin(), kBearer.end(), authorization.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
      })) {
    return SecretsEqual(authorization.substr(kBearer.size()), m_token);
  }
  const std::string session = CookieValue(cookie, m_cookieName);
  if (session.empty()) return false;
  const std::lock_guard lock(m_mutex);
  bool found = false;
  // Every session is compared, so the time says nothing of which matched.
  for (const std::string& kept : m_sessions) found = SecretsEqual(session, kept) || found;
  return found;
}

std::string AccessGuard::SignInWithCode(const std::string& code) {
  const std::lock_guard lock(m_mutex);
  if (m_signInCode.empty() || m_signInCodeUsed || !SecretsEqual(code, m_signInCode)) return {};
  m_signInCodeUsed = true;
  return NewSession();
}

std::string AccessGuard::SignInWithToken(const std::string& token) {
  if (m_token.empty() || !SecretsEqual(token, m_token)) return {};
  const std::lock_guard lock(m_mutex);
  return NewSession();
}

std::string AccessGuard::NewSession() {
  std::string session = RandomSecret(kSessionBytes);
  if (session.empty()) return {};
  if (m_sessions.size() >= kMaxSessions) m_sessions.erase(m_sessions.begin());
  m_sessions.push_back(session);
  return session;
}
