// Windows tests: the session's null-modem pair under Wine
// (null_modem_relay.cpp), whose ports the test environment names in
// PLENX_NULL_MODEM ("COM8,COM9,COM7": the board's end, the logger's end,
// the relay's command port), and what is known about running under Wine.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/serial_port.h"

struct NullModem {
  std::string boardPort;
  std::string loggerPort;
  std::string commandPort;
};

// The pair of the test session; nullopt outside it (the serial tests then
// skip).
inline std::optional<NullModem> SessionNullModem() {
  const char* ports = std::getenv("PLENX_NULL_MODEM");
  if (ports == nullptr) return std::nullopt;
  const std::string list = ports;
  const size_t first = list.find(',');
  const size_t second = list.find(',', first + 1);
  if (first == std::string::npos || second == std::string::npos) return std::nullopt;
  return NullModem{list.substr(0, first), list.substr(first + 1, second - first - 1),
                   list.substr(second + 1)};
}

// Asks the relay to act ("hangup": the logger's end vanishes as an unplugged
// adapter does; "restore": a new device stands in for it) and waits for its
// answer. False when it did not answer within a few seconds.
inline bool TellRelay(const NullModem& modem, const std::string& command) {
  constexpr auto kAnswerTimeout = std::chrono::seconds(10);
  const SerialHandle port = OpenSerialPort(modem.commandPort);
  if (port == kInvalidSerialHandle) return false;
  ConfigureSerialLine(port, kSerialBaudRate);
  const std::string line = command + "\n";
  bool answered = WriteSerialBytes(port, reinterpret_cast<const uint8_t*>(line.data()), line.size()) ==
                  static_cast<std::ptrdiff_t>(line.size());
  std::string answer;
  const auto deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
  while (answered && answer.find("ok\n") == std::string::npos) {
    uint8_t byte = 0;
    const int read = ReadSerialByte(port, byte, kSerialReadTimeoutMs);
    if (read < 0 || std::chrono::steady_clock::now() > deadline) answered = false;
    if (read == 1) answer += static_cast<char>(byte);
  }
  CloseSerialPort(port);
  return answered;
}

// Wine lets through what Windows refuses in a few places (a second open of
// a port); tests of those skip under it.
inline bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The logger's end of the pair unplugged while it lives, plugged in again
// (a new device under the same name) when it goes, whatever the test did.
class UnpluggedLoggerEnd {
 public:
  explicit UnpluggedLoggerEnd(const NullModem& modem)
      : m_modem(modem), m_unplugged(TellRelay(modem, "hangup")) {}
  ~UnpluggedLoggerEnd() { PlugIn(); }
  UnpluggedLoggerEnd(const UnpluggedLoggerEnd&) = delete;
  UnpluggedLoggerEnd& operator=(const UnpluggedLoggerEnd&) = delete;

  bool Unplugged() const { return m_unplugged; }
  // Plugs it in again now; true once it is.
  bool PlugIn() {
    if (m_unplugged && TellRelay(m_modem, "restore")) m_unplugged = false;
    return !m_unplugged;
  }

 private:
  NullModem m_modem;
  bool m_unplugged;
};
