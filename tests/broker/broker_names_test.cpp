// What the technician types and what the broker sees: URLs, site names,
// topic names, payloads, and the settings' check.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include "broker/broker_settings.h"
#include "broker/mqtt_url.h"
#include "broker/record_payload.h"
#include "broker/site_topics.h"
#include "broker/topic_names.h"
#include "broker/value_payloads.h"
#include "testkit/temp_folder.h"
#include "tests/broker/fake_run.h"

namespace {

TEST(MqttUrlTest, ReadsHostPortAndScheme) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    bool tls;
  };
  for (const Case& c :
       {Case{"mqtt://broker.example.org", "broker.example.org", 1883, false},
        Case{"mqtt://10.0.0.5:1884", "10.0.0.5", 1884, false}, Case{"mqtts://broker", "broker", 8883, true},
        Case{"mqtts://[::1]:9000", "::1", 9000, true}}) {
    const MqttUrlResult result = ParseMqttUrl(c.url);
    EXPECT_EQ(result.problem, "") << c.url;
    EXPECT_EQ(result.endpoint.host, c.host) << c.url;
    EXPECT_EQ(result.endpoint.port, c.port) << c.url;
    EXPECT_EQ(result.endpoint.tls, c.tls) << c.url;
  }
  EXPECT_EQ(MqttUrlText(ParseMqttUrl("mqtts://[::1]").endpoint), "mqtts://[::1]:8883");
}

TEST(MqttUrlTest, RefusesMalformedUrlsWithTheReason) {
  struct Case {
    const char* url;
    const char* reasonPart;
  };
  for (const Case& c :
       {Case{"broker:1883", "not an MQTT URL"}, Case{"http://broker", "not an MQTT URL"},
        Case{"mqtt://", "host is missing"}, Case{"mqtt://:1883", "host is missing"},
        Case{"mqtt://broker:", "port is missing"}, Case{"mqtt://broker:0", "'0' is not a number"},
        Case{"mqtt://broker:65536", "from 1 to 65535"}, Case{"mqtt://broker:18x3", "'18x3'"},
        Case{"mqtt://user:pw@broker", "no user"}, Case{"mqtt://broker/plenx", "no path"},
        Case{"mqtt://[::1", "closing ']'"}}) {
    EXPECT_NE(ParseMqttUrl(c.url).problem.find(c.reasonPart), std::string::npos)
        << c.url << ": " << ParseMqttUrl(c.url).problem;
  }
}

TEST(SiteNameTest, RefusesWhatCannotBeOneTopicLevel) {
  EXPECT_EQ(SiteNameProblem("north-wing_2"), "");
  EXPECT_EQ(SiteNameProblem("Caf\xC3\xA9 Rosa"), "");  // UTF-8 é
  for (const char* bad : {"", "a/b", "a+b", "#", "$SYS", ".hidden", "tab\there", "caf\xE9"}) {
    EXPECT_NE(SiteNameProblem(bad), "") << bad;
  }
  EXPECT_EQ(SiteOfRecordTopic("plenx/north/record"), "north");
  EXPECT_EQ(SiteOfRecordTopic("plenx/north/status"), "");
  EXPECT_EQ(SiteOfRecordTopic("plenx//record"), "");
}

TEST(TopicNamesTest, FoldsTextsIntoStableUniqueLevels) {
  EXPECT_EQ(TopicSafeName("INDOOR A / HK"), "indoor_a_hk");
  EXPECT_EQ(TopicSafeName("Outdoor Air Temperature [\xB0"
                          "F]"),
            "outdoor_air_temperature_f");
  EXPECT_EQ(TopicSafeName("CDT Prot. [0:128]"), "cdt_prot_0_128");
  EXPECT_EQ(TopicSafeName("\xC4nderung \xDF+#/"), "anderung_ss");  // Windows-1252 Ä, ß
  EXPECT_EQ(TopicSafeName("+#/"), "");

  RunLayout layout = *MakeTestLayout();
  layout.lists.push_back({"Status", 5, 3});                         // a unit named like a site topic
  layout.rows.push_back({2, 0, 5, ValueQuantity::kNone, "State"});  // the unit's JSON level
  layout.rows.push_back({2, 1, 6, ValueQuantity::kNone, "Mode!"});
  layout.rows.push_back({2, 2, 7, ValueQuantity::kNone, "mode"});
  const LayoutTopicNames names = MakeLayoutTopicNames(layout);
  EXPECT_EQ(names.units, (std::vector<std::string>{"outdoor", "indoor_a_hk", "status_2"}));
  EXPECT_EQ(names.params,
            (std::vector<std::string>{"compressor", "working_mode", "outdoor_air_temperature_f",
                                      "fan_speed_rpm", "working_mode", "state_2", "mode", "mode_2"}));
}

TEST(RecordPayloadTest, CarriesTheExactLogLineAndItsPlace) {
  RecordPayload record;
  record.seq = 17;
  record.run = "20150307T140509-9f3c02aa";
  record.logName = "site log \xE9%.txt";
  record.line = "2015/03/07-14:05:09.042   -   12,-3,300,\r\n";
  const std::string payload = FormatRecordPayload(record);
  EXPECT_EQ(payload,
            "seq=17 run=20150307T140509-9f3c02aa log=site%20log%20%E9%25.txt\n"
            "2015/03/07-14:05:09.042   -   12,-3,300,\r\n");
  const std::optional<RecordPayload> back = ParseRecordPayload(payload);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->seq, 17u);
  EXPECT_EQ(back->run, record.run);
  EXPECT_EQ(back->logName, record.logName);
  EXPECT_EQ(back->line, record.line);

  for (const char* bad : {"", "seq=1 run=r log=a", "seq=0 run=r log=a\nx", "seq=x run=r log=a\nx",
                          "run=r log=a\nx", "seq=1 log=a\nx", "seq=1 run=r\nx", "seq=1 run=r log=%4\nx"}) {
    EXPECT_FALSE(ParseRecordPayload(bad)) << bad;
  }
}

TEST(ValuePayloadTest, NumbersAsShownWithoutUnitAndStatesAsText) {
  EXPECT_EQ(ValuePayload("13 %", ValueQuantity::kPercent), "13");
  EXPECT_EQ(ValuePayload("-3.5", ValueQuantity::kFahrenheit), "-3.5");
  EXPECT_EQ(ValuePayload("1200", ValueQuantity::kNumber), "1200");
  EXPECT_EQ(ValuePayload("Heat", ValueQuantity::kNone), "Heat");
  EXPECT_EQ(ValuePayload("12", ValueQuantity::kNone), "12");
  EXPECT_EQ(ValuePayload("---", ValueQuantity::kNumber), "---");
  EXPECT_EQ(ValuePayload("25 \xB0"
                         "C",
                         ValueQuantity::kNone),
            "25 \xC2\xB0"
            "C");  // as UTF-8

  const RunLayout layout = *MakeTestLayout();
  EXPECT_EQ(UnitStateJson(layout, MakeLayoutTopicNames(layout), 0, *MakeTestRecord(13, 0)),
            R"({"compressor":13,"working_mode":"Heat","outdoor_air_temperature_f":77.0})");
}

// Parses args as the command line of a program that added the options.
BrokerConfigResult Resolve(std::vector<std::string> args) {
  CLI::App app;
  BrokerSettings settings;
  AddBrokerOptions(app, settings);
  std::reverse(args.begin(), args.end());
  app.parse(args);
  return ResolveBrokerSettings(settings);
}

TEST(BrokerSettingsTest, ResolvesTheOptions) {
  TempFolder folder;
  const std::string passwordFile = folder.Write("password", "s3cret\n");
  const BrokerConfigResult result =
      Resolve({"--mqtt", "mqtts://broker:8884", "--mqtt-ca", "/etc/ca.pem", "--mqtt-user", "tech",
               "--mqtt-password-file", passwordFile, "--site", "north", "--ha-discovery",
               "--mqtt-spool-max-mb", "2"});
  ASSERT_TRUE(result.config) << result.problem;
  EXPECT_EQ(result.config->url, "mqtts://broker:8884");
  EXPECT_EQ(result.config->password, "s3cret");
  EXPECT_EQ(result.config->site, "north");
  EXPECT_EQ(result.config->discoveryPrefix, "homeassistant");
  EXPECT_EQ(result.config->spoolLimits.maxBytes, 2u * 1024 * 1024);
  EXPECT_EQ(result.config->spoolLimits.maxAgeMs, 7 * 24 * 3600 * 1000ll);

  EXPECT_EQ(Resolve({"--mqtt", "mqtt://b", "--ha-discovery", "hass"}).config->discoveryPrefix, "hass");
  EXPECT_EQ(Resolve({"--mqtt", "mqtt://b"}).config->discoveryPrefix, "");
  const BrokerConfigResult off = Resolve({});
  EXPECT_FALSE(off.config);
  EXPECT_EQ(off.problem, "");
  EXPECT_EQ(DefaultSiteName("fieldbox", "COM3"), "fieldbox-COM3");
  EXPECT_EQ(DefaultSiteName("", ""), "plenx");
  EXPECT_EQ(DefaultSiteName(".box", "a/b"), "_box-a_b");
}

TEST(BrokerSettingsTest, RefusesBadSettingsWithTheReason) {
  struct Case {
    std::vector<std::string> args;
    const char* reasonPart;
  };
  const std::vector<Case> cases = {
      {{"--mqtt", "broker:1883"}, "is malformed: not an MQTT URL"},
      {{"--mqtt", "mqtt://b", "--site", ""}, "The site name '' is empty"},
      {{"--mqtt", "mqtt://b", "--site", "a/b"}, "contains '/'"},
      {{"--mqtt", "mqtt://b", "--site", "a+"}, "contains '+', an MQTT wildcard"},
      {{"--mqtt", "mqtt://b", "--site", "#"}, "contains '#', an MQTT wildcard"},
      {{"--mqtt", "mqtt://b", "--mqtt-ca", "/ca.pem"}, "--mqtt-ca needs an mqtts:// URL"},
      {{"--mqtt", "mqtt://b", "--mqtt-password-file", "/p"}, "needs --mqtt-user"},
      {{"--mqtt", "mqtt://b", "--mqtt-user", "u", "--mqtt-password-file", "/nonexistent/p"},
       "Cannot read the MQTT password file /nonexistent/p: no such file or directory."},
      {{"--mqtt", "mqtt://b", "--mqtt-spool-max-mb", "0"}, "--mqtt-spool-max-mb must be"},
      {{"--mqtt", "mqtt://b", "--mqtt-spool-max-days", "0"}, "--mqtt-spool-max-days must be"},
      {{"--site", "north"}, "need --mqtt URL"},
  };
  for (const Case& c : cases) {
    const BrokerConfigResult result = Resolve(c.args);
    EXPECT_FALSE(result.config) << c.reasonPart;
    EXPECT_NE(result.problem.find(c.reasonPart), std::string::npos) << result.problem;
  }
}

}  // namespace
