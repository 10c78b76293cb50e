// The broker's address as the technician gives it.
#include "broker/mqtt_url.h"

#include <charconv>

namespace {

constexpr std::string_view kPlainScheme = "mqtt://";
constexpr std::string_view kTlsScheme = "mqtts://";
constexpr int kHighestPort = 65535;

MqttUrlResult Refused(std::string problem) {
  MqttUrlResult result;
  result.problem = std::move(problem);
  return result;
}

}  // namespace

MqttUrlResult ParseMqttUrl(std::string_view url) {
  MqttUrlResult result;
  std::string_view rest;
  if (url.starts_with(kPlainScheme)) {
    rest = url.substr(kPlainScheme.size());
    result.endpoint.port = kMqttDefaultPort;
  } else if (url.starts_with(kTlsScheme)) {
    rest = url.substr(kTlsScheme.size());
    result.endpoint.tls = true;
    result.endpoint.port = kMqttsDefaultPort;
  } else {
    return Refused("not an MQTT URL; write mqtt://host[:port] or mqtts://host[:port]");
  }
  if (rest.find_first_of("/?#@") != std::string_view::npos) {
    return Refused("only a host and a port may follow the scheme (no path, no user; see --mqtt-user)");
  }

  std::string_view portText;
  if (rest.starts_with('[')) {
    const size_t close = rest.find(']');
    if (close == std::string_view::npos) return Refused("the IPv6 address has no closing ']'");
    result.endpoint.host = std::string(rest.substr(1, close - 1));
    const std::string_view after = rest.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return Refused("only ':' and a port may follow the IPv6 address");
      portText = after.substr(1);
      if (portText.empty()) return Refused("the port is missing after ':'");
    }
  } else {
    const size_t colon = rest.find(':');
    result.endpoint.host = std::string(rest.substr(0, colon));
    if (colon != std::string_view::npos) {
      portText = rest.substr(colon + 1);
      if (portText.empty()) return Refused("the port is missing after ':'");
    }
  }
  if (result.endpoint.host.empty()) return Refused("the host is missing");
  if (result.endpoint.host.find_first_of(" \t[]") != std::string::npos) {
    return Refused("the host '" + result.endpoint.host + "' is not a host name or address");
  }

  if (!portText.empty()) {
    int port = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error != std::errc() || end != portText.data() + portText.size() || port < 1 || port > kHighestPort) {
      return Refused("the port '" + std::string(portText) + "' is not a number from 1 to 65535");
    }
    result.endpoint.port = port;
  }
  return result;
}

std::string MqttUrlText(const MqttEndpoint& endpoint) {
  std::string text(endpoint.tls ? kTlsScheme : kPlainScheme);
  const bool ipv6 = endpoint.host.find(':') != std::string::npos;
  text += ipv6 ? "[" + endpoint.host + "]" : endpoint.host;
  text += ":" + std::to_string(endpoint.port);
  return text;
}
