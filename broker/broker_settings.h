// What publishing to an MQTT broker is told, on the command line or from
// the window's settings, and the check that turns it into a configuration.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "broker/mqtt_url.h"
#include "broker/record_spool.h"

namespace CLI {
class App;
}

inline constexpr std::string_view kDefaultDiscoveryPrefix = "homeassistant";
inline constexpr uint64_t kDefaultSpoolMaxMb = 512;
inline constexpr double kDefaultSpoolMaxDays = 7;

// As given; publishing is off while url is empty.
struct BrokerSettings {
  std::string url;           // --mqtt
  std::string caFile;        // --mqtt-ca
  std::string user;          // --mqtt-user
  std::string passwordFile;  // --mqtt-password-file
  // --site; nullopt: DefaultSiteName at the run's start. Given empty, it is
  // refused.
  std::optional<std::string> site;
  bool haDiscovery = false;  // --ha-discovery [PREFIX]
  std::string haPrefix = std::string(kDefaultDiscoveryPrefix);
  std::string spoolFolder;                     // --mqtt-spool; empty: in UserStateFolder()
  uint64_t spoolMaxMb = kDefaultSpoolMaxMb;    // --mqtt-spool-max-mb
  double spoolMaxDays = kDefaultSpoolMaxDays;  // --mqtt-spool-max-days
};

// Adds the options above to app, writing into settings (which must outlive
// the parse). The values are checked by ResolveBrokerSettings.
void AddBrokerOptions(CLI::App& app, BrokerSettings& settings);

// The settings checked, the password read, ready for BrokerPublisher.
struct BrokerConfig {
  MqttEndpoint endpoint;
  std::string url;  // MqttUrlText(endpoint), for messages
  std::string caFile;
  std::string user;
  std::string password;
  std::string site;             // empty: DefaultSiteName at the run's start
  std::string discoveryPrefix;  // empty: no Home Assistant discovery
  std::string spoolFolder;      // empty: SpoolFolderFor(site)
  SpoolLimits spoolLimits;
};

struct BrokerConfigResult {
  std::optional<BrokerConfig> config;  // nullopt: publishing off, or refused
  // Why the settings are refused, a whole sentence naming the option; empty
  // when they are good (or publishing is off).
  std::string problem;
};

// Checks settings: a malformed URL, a site that cannot be a topic level
// (SiteNameProblem), --mqtt-ca without mqtts://, a password file that cannot
// be read or has no --mqtt-user, options without --mqtt, limits out of
// range. Reads the password file. Publishing is off (no config, no
// problem) when no option was given.
BrokerConfigResult ResolveBrokerSettings(const BrokerSettings& settings);

// Reads the password from the first line of the file at path (its line end
// left out). False with problem set ("Cannot read the MQTT password file
// <path>: <reason>.") when it cannot.
bool ReadMqttPasswordFile(const std::string& path, std::string& password, std::string& problem);

// "<host name>-<port name>" ("fieldbox-COM3"), with any character a site
// may not hold replaced by '_'; "<host name>" without a port, "plenx" when
// neither is known.
std::string DefaultSiteName(const std::string& hostName, const std::string& portName);

// This machine's host name; empty when it has none.
std::string LocalHostName();

// UserStateFolder()/mqtt-spool/<site>.
std::string SpoolFolderFor(const std::string& site);
