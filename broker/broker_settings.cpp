// What publishing to an MQTT broker is told, and its check.
#include "broker/broker_settings.h"

#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cmath>

#include "broker/site_topics.h"
#include "platform/posix_io.h"
#include "platform/system_error_text.h"
#include "platform/user_config_folder.h"

namespace {

constexpr size_t kLargestPasswordFileBytes = 4096;
constexpr double kMillisecondsPerDay = 24.0 * 3600.0 * 1000.0;
constexpr uint64_t kBytesPerMb = 1024 * 1024;
constexpr uint64_t kLargestSpoolMb = 1024 * 1024;  // a terabyte
constexpr std::string_view kSpoolFolderName = "mqtt-spool";
constexpr std::string_view kFallbackSiteName = "plenx";

}  // namespace

bool ReadMqttPasswordFile(const std::string& path, std::string& password, std::string& problem) {
  const int fd = OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem = "Cannot read the MQTT password file " + path + ": " + SystemErrorText(errno) + ".";
    return false;
  }
  std::optional<std::string> text = ReadToEnd(fd, kLargestPasswordFileBytes + 1);
  const int error = errno;
  CloseFile(fd);
  if (!text) {
    problem = "Cannot read the MQTT password file " + path + ": " + SystemErrorText(error) + ".";
    return false;
  }
  if (text->size() > kLargestPasswordFileBytes) {
    problem = "The MQTT password file " + path + " is larger than 4 KB; it should hold the password alone.";
    return false;
  }
  password = text->substr(0, text->find_first_of("\r\n"));
  return true;
}

void AddBrokerOptions(CLI::App& app, BrokerSettings& settings) {
  app.add_option("--mqtt", settings.url,
                 "Publish every record to the MQTT broker at URL (mqtt://host[:port] or mqtts://host[:port])")
      ->type_name("URL");
  app.add_option("--mqtt-ca", settings.caFile,
                 "With mqtts://: trust the broker's certificate by this CA file")
      ->type_name("FILE");
  app.add_option("--mqtt-user", settings.user, "The user name to give the broker")->type_name("NAME");
  app.add_option("--mqtt-password-file", settings.passwordFile,
                 "Read the broker's password from the first line of FILE (never on the command line)")
      ->type_name("FILE");
  app.add_option_function<std::string>(
         "--site", [&settings](const std::string& name) { settings.site = name; },
         "The site's name, the topic root plenx/NAME/ (default: <host name>-<port>)")
      ->type_name("NAME");
  app.add_option_function<std::vector<std::string>>(
         "--ha-discovery",
         [&settings](const std::vector<std::string>& values) {
           settings.haDiscovery = true;
           if (!values.empty() && !values.front().empty()) settings.haPrefix = values.front();
         },
         "Announce every value to Home Assistant under PREFIX (default homeassistant)")
      ->expected(0, 1)
      ->type_name("[PREFIX]");
  app.add_option("--mqtt-spool", settings.spoolFolder,
                 "Keep the records the broker has not taken in FOLDER (default: "
                 "~/.local/state/plenx-logger/mqtt-spool/<site>)")
      ->type_name("FOLDER");
  app.add_option("--mqtt-spool-max-mb", settings.spoolMaxMb,
                 "At most MB megabytes of waiting records; the oldest go first (default 512)")
      ->type_name("MB");
  app.add_option("--mqtt-spool-max-days", settings.spoolMaxDays,
                 "Waiting records older than DAYS are dropped (default 7)")
      ->type_name("DAYS");
}

BrokerConfigResult ResolveBrokerSettings(const BrokerSettings& settings) {
  BrokerConfigResult result;
  const BrokerSettings defaults;
  if (settings.url.empty()) {
    const bool anyOther =
        !settings.caFile.empty() || !settings.user.empty() || !settings.passwordFile.empty() ||
        settings.site.has_value() || settings.haDiscovery || !settings.spoolFolder.empty() ||
        settings.spoolMaxMb != defaults.spoolMaxMb || settings.spoolMaxDays != defaults.spoolMaxDays;
    if (anyOther) result.problem = "The MQTT options need --mqtt URL, the broker to publish to.";
    return result;
  }
  const MqttUrlResult url = ParseMqttUrl(settings.url);
  if (!url.problem.empty()) {
    result.problem = "The MQTT broker URL '" + settings.url + "' is malformed: " + url.problem + ".";
    return result;
  }
  if (settings.site) {
    const std::string problem = SiteNameProblem(*settings.site);
    if (!problem.empty()) {
      result.problem = "The site name '" + *settings.site + "' " + problem + "; a site is one topic level.";
      return result;
    }
  }
  if (!settings.caFile.empty() && !url.endpoint.tls) {
    result.problem = "--mqtt-ca needs an mqtts:// URL; " + settings.url + " is not encrypted.";
    return result;
  }
  if (!settings.passwordFile.empty() && settings.user.empty()) {
    result.problem = "--mqtt-password-file needs --mqtt-user, the name the password belongs to.";
    return result;
  }
  if (settings.haDiscovery && (settings.haPrefix.find_first_of("+#") != std::string::npos ||
                               settings.haPrefix.front() == '/' || settings.haPrefix.back() == '/')) {
    result.problem =
        "The discovery prefix '" + settings.haPrefix + "' is not a topic (no '+', '#' or outer '/').";
    return result;
  }
  if (settings.spoolMaxMb < 1 || settings.spoolMaxMb > kLargestSpoolMb) {
    result.problem = "--mqtt-spool-max-mb must be from 1 to 1048576.";
    return result;
  }
  if (!std::isfinite(settings.spoolMaxDays) || settings.spoolMaxDays <= 0 || settings.spoolMaxDays > 3650) {
    result.problem = "--mqtt-spool-max-days must be more than 0 and at most 3650.";
    return result;
  }

  BrokerConfig config;
  config.endpoint = url.endpoint;
  config.url = MqttUrlText(url.endpoint);
  config.caFile = settings.caFile;
  config.user = settings.user;
  if (!settings.passwordFile.empty() &&
      !ReadMqttPasswordFile(settings.passwordFile, config.password, result.problem)) {
    return result;
  }
  config.site = settings.site.value_or(std::string());
  if (settings.haDiscovery) config.discoveryPrefix = settings.haPrefix;
  config.spoolFolder = settings.spoolFolder;
  config.spoolLimits.maxBytes = settings.spoolMaxMb * kBytesPerMb;
  config.spoolLimits.maxAgeMs = static_cast<int64_t>(settings.spoolMaxDays * kMillisecondsPerDay);
  result.config = std::move(config);
  return result;
}

std::string DefaultSiteName(const std::string& hostName, const std::string& portName) {
  std::string site = hostName;
  if (!portName.empty()) site += (site.empty() ? "" : "-") + portName;
  if (site.empty()) site = kFallbackSiteName;
  for (char& c : site) {
    if (c == '/' || c == '+' || c == '#' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
  }
  if (site.front() == '.' || site.front() == '$') site.front() = '_';
  return site;
}

std::string LocalHostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string SpoolFolderFor(const std::string& site) {
  const std::string state = UserStateFolder();
  if (state.empty()) return {};
  return state + "/" + std::string(kSpoolFolderName) + "/" + site;
}
