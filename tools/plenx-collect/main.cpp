// plenx-collect: keeps every site's log at the office, from the records the
// loggers publish to an MQTT broker.
#include <signal.h>

#include <cstdio>
#include <optional>
#include <string>

#include "broker/broker_settings.h"
#include "broker/site_topics.h"
#include "cli/command_line.h"
#include "tools/plenx-collect/collector.h"

namespace {

constexpr const char* kUsage =
    "usage: plenx-collect --mqtt URL --dir DIR [--mqtt-ca FILE] [--mqtt-user NAME --mqtt-password-file "
    "FILE]\n"
    "                     [--share GROUP] [--client-id ID]";
// How long the broker keeps the collector's session, and the records for
// it, while the collector is away.
constexpr uint32_t kSessionExpirySeconds = 30u * 24u * 3600u;

volatile bool g_stop = false;

void RequestStop(int) { g_stop = true; }

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Subscribes to the records of every site (plenx/+/record) on an MQTT broker and\n"
      "writes each site's lines to DIR/<site>/<log name> in the logger's own format,\n"
      "packing each finished day into a dated ZIP beside it. No record is lost or\n"
      "written twice when the collector, a logger or the broker is killed.",
      "plenx-collect"};
  SetUpCommandLine(app, kUsage);
  std::string url;
  std::string caFile;
  std::string user;
  std::string passwordFile;
  std::string folder;
  std::string group;
  std::string clientId;
  app.add_option("--mqtt", url, "The broker: mqtt://host[:port] or mqtts://host[:port]")
      ->type_name("URL")
      ->required();
  app.add_option("--dir", folder, "Write the sites' logs into DIR/<site>/")->type_name("DIR")->required();
  app.add_option("--mqtt-ca", caFile, "With mqtts://: trust the broker's certificate by this CA file")
      ->type_name("FILE");
  app.add_option("--mqtt-user", user, "The user name to give the broker")->type_name("NAME");
  app.add_option("--mqtt-password-file", passwordFile,
                 "Read the broker's password from the first line of FILE")
      ->type_name("FILE");
  app.add_option("--share", group,
                 "Take part in the MQTT 5 shared subscription $share/GROUP/plenx/+/record, so that "
                 "several collectors split the records")
      ->type_name("GROUP");
  app.add_option("--client-id", clientId,
                 "The session's name on the broker (default plenx-collect-<host name>); keep it the same "
                 "from run to run")
      ->type_name("ID");
  if (const std::optional<int> exitStatus = ParseCommandLine(app, argc, argv)) return *exitStatus;

  const MqttUrlResult parsed = ParseMqttUrl(url);
  if (!parsed.problem.empty()) {
    return RefuseArguments(app, "The MQTT broker URL '" + url + "' is malformed: " + parsed.problem + ".");
  }
  if (!caFile.empty() && !parsed.endpoint.tls) {
    return RefuseArguments(app, "--mqtt-ca needs an mqtts:// URL; " + url + " is not encrypted.");
  }
  if (!passwordFile.empty() && user.empty()) {
    return RefuseArguments(app, "--mqtt-password-file needs --mqtt-user, the name the password belongs to.");
  }
  if (!group.empty() && group.find_first_of("/+#") != std::string::npos) {
    return RefuseArguments(app, "The group '" + group + "' may not contain '/', '+' or '#'.");
  }

  MqttConnectOptions options;
  options.endpoint = parsed.endpoint;
  options.caFile = caFile;
  options.user = user;
  if (!passwordFile.empty()) {
    std::string problem;
    if (!ReadMqttPasswordFile(passwordFile, options.password, problem)) {
      std::fprintf(stderr, "plenx-collect: %s\n", problem.c_str());
      return 1;
    }
  }
  options.clientId = clientId.empty() ? "plenx-collect-" + LocalHostName() : clientId;
  options.sessionExpirySeconds = kSessionExpirySeconds;

  std::string filter(kAllRecordsFilter);
  if (!group.empty()) filter = "$share/" + group + "/" + filter;

  InstallStopHandlers();
  Collector collector(options, MqttUrlText(parsed.endpoint), filter, folder);
  collector.Run(g_stop);
  const CollectorCounts& counts = collector.Counts();
  std::fprintf(stderr, "plenx-collect: %llu records written, %llu repeats skipped, %llu never came\n",
               static_cast<unsigned long long>(counts.written),
               static_cast<unsigned long long>(counts.duplicates),
               static_cast<unsigned long long>(counts.missing));
  return 0;
}
