// The broker's address as the technician gives it: mqtt://host[:port] or
// mqtts://host[:port], an IPv6 address in brackets.
#pragma once

#include <string>
#include <string_view>

// The plain and the TLS port MQTT brokers listen on unless told otherwise.
inline constexpr int kMqttDefaultPort = 1883;
inline constexpr int kMqttsDefaultPort = 8883;

struct MqttEndpoint {
  std::string host;  // a name or an address, without brackets
  int port = kMqttDefaultPort;
  bool tls = false;  // mqtts://
};

struct MqttUrlResult {
  MqttEndpoint endpoint;
  // Why the URL is refused, worded to follow "<url>: "; empty when it is
  // good.
  std::string problem;
};

// Reads url. Refuses any other scheme, a missing host, a port that is not a
// number from 1 to 65535, and anything after the port (a path, a query,
// credentials: the user and password have options of their own).
MqttUrlResult ParseMqttUrl(std::string_view url);

// The endpoint written back as a URL, the way messages name the broker:
// "mqtt://host:1883", "mqtts://[::1]:8883".
std::string MqttUrlText(const MqttEndpoint& endpoint);
