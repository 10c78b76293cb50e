// The live page's settings and its command-line options:
//   --serve [ADDR:]PORT  --serve-token-file FILE  --serve-cert FILE  --serve-key FILE
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>

// Where the page is served unless --serve names an address: this machine
// alone, open without a token.
inline constexpr std::string_view kDefaultPageAddress = "127.0.0.1";

struct PageSettings {
  bool serve = false;                                      // --serve was given
  std::string address = std::string(kDefaultPageAddress);  // an IPv4 or IPv6 address
  int port = 0;                                            // 0: any free port (tests)
  std::string tokenFile;                                   // empty: a token is made when one is needed
  std::string certFile;                                    // both empty: plain HTTP
  std::string keyFile;
};

// Reads "[ADDR:]PORT" (8080, 0.0.0.0:8080, [::]:8080, localhost:8080) into
// address and port. False, with error saying what is wrong and what to give.
bool ParseServeAddress(const std::string& text, std::string& address, int& port, std::string& error);

// True for addresses only this machine reaches (127.0.0.0/8, ::1).
bool IsLoopbackAddress(const std::string& address);

// Whether the page asks for a token: on any address but loopback, or
// whenever a token file is given.
bool PageNeedsToken(const PageSettings& settings);

// Adds the four options to app, filling settings as they are parsed; a bad
// value ends the parse with the reason (the address, the port, a token file
// that cannot be read or holds no token, a certificate without its key).
void AddPageOptions(CLI::App& app, PageSettings& settings);
