// The live page's options.
#include "page/page_settings.h"

#include <arpa/inet.h>

#include <charconv>

#include "page/access_guard.h"

namespace {

constexpr int kMaxPort = 65535;

const char* const kServeForm =
    "give [ADDR:]PORT, such as 8080, 0.0.0.0:8080 (every address of this machine), 192.168.1.20:8080 or "
    "[::]:8080";

}  // namespace

bool ParseServeAddress(const std::string& text, std::string& address, int& port, std::string& error) {
  std::string host = std::string(kDefaultPageAddress);
  std::string portText = text;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') {
      error = "\"" + text + "\" is not an address and port; " + kServeForm + ".";
      return false;
    }
    host = text.substr(1, close - 1);
    portText = text.substr(close + 2);
  } else if (const size_t colon = text.rfind(':'); colon != std::string::npos) {
    host = text.substr(0, colon);
    portText = text.substr(colon + 1);
    if (host.find(':') != std::string::npos) {
      error = "\"" + text + "\": an IPv6 address goes in brackets, as [::1]:8080.";
      return false;
    }
  }
  int value = 0;
  const auto [end, failure] = std::from_chars(portText.data(), portText.data() + portText.size(), value);
  if (portText.empty() || failure != std::errc() || end != portText.data() + portText.size()) {
    error = "\"" + portText + "\" is not a port number; " + kServeForm + ".";
    return false;
  }
  if (value < 1 || value > kMaxPort) {
    error = "port " + portText + " is out of range; give 1 to 65535 (below 1024 only with the right to).";
    return false;
  }
  if (host == "localhost") host = std::string(kDefaultPageAddress);
  unsigned char binary[16];
  if (inet_pton(AF_INET, host.c_str(), binary) != 1 && inet_pton(AF_INET6, host.c_str(), binary) != 1) {
    error = "\"" + host + "\" is not an IP address of this machine; " + kServeForm + ".";
    return false;
  }
  address = host;
  port = value;
  return true;
}

bool IsLoopbackAddress(const std::string& address) {
  in_addr v4{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  return inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

bool PageNeedsToken(const PageSettings& settings) {
  return !IsLoopbackAddress(settings.address) || !settings.tokenFile.empty();
}

void AddPageOptions(CLI::App& app, PageSettings& settings) {
  const CLI::Validator serveAddress(
      [](std::string& text) {
        std::string address;
        int port = 0;
        std::string error;
        return ParseServeAddress(text, address, port, error) ? std::string() : error;
      },
      "[ADDR:]PORT");
  CLI::Option* serve =
      app.add_option_function<std::string>(
             "--serve",
             [&settings](const std::string& text) {
               std::string error;
               settings.serve = ParseServeAddress(text, settings.address, settings.port, error);
             },
             "Serve a read-only live page of the run on PORT, on this machine only (127.0.0.1) unless ADDR "
             "names another of its addresses or 0.0.0.0; any other address asks browsers for an access token")
          ->type_name("[ADDR:]PORT")
          ->check(serveAddress);
  const CLI::Validator tokenFile(
      [](std::string& path) {
        std::string token;
        std::string error;
        return ReadTokenFile(path, token, error) ? std::string() : error;
      },
      "FILE");
  app.add_option("--serve-token-file", settings.tokenFile,
                 "The page's access token is the first line of FILE (otherwise one is made and shown once)")
      ->type_name("FILE")
      ->check(tokenFile)
      ->needs(serve);
  CLI::Option* cert = app.add_option("--serve-cert", settings.certFile,
                                     "Serve the page over HTTPS with the certificate chain in FILE (PEM)")
                          ->type_name("FILE")
                          ->check(CLI::ExistingFile)
                          ->needs(serve);
  CLI::Option* key = app.add_option("--serve-key", settings.keyFile, "The private key of --serve-cert (PEM)")
                         ->type_name("FILE")
                         ->check(CLI::ExistingFile)
                         ->needs(serve);
  cert->needs(key);
  key->needs(cert);
}
