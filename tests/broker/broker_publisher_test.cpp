// The publisher against a real broker: what each topic carries, Home
// Assistant's discovery read back, and the faults a site meets (broker away,
// dropped, wrong password, unknown host, a certificate that does not match,
// a full spool), each said once while logging goes on.
#include "broker/broker_publisher.h"

#include <gtest/gtest.h>

#include <mutex>
#include <regex>
#include <set>

#include "broker/record_payload.h"
#include "decode/log_line.h"
#include "testkit/temp_folder.h"
#include "testkit/test_broker.h"
#include "testkit/wait.h"
#include "tests/broker/fake_run.h"
#include "tests/broker/mqtt_listener.h"

namespace {

// What the publisher said, as the window or headless would show it.
class NoticeLog {
 public:
  BrokerNoticeHandler Handler() {
    return [this](const BrokerNotice& notice) {
      std::lock_guard lock(m_mutex);
      m_notices.push_back(notice);
    };
  }
  size_t Count(const std::string& part) const {
    std::lock_guard lock(m_mutex);
    size_t count = 0;
    for (const BrokerNotice& notice : m_notices) count += notice.text.find(part) != std::string::npos ? 1 : 0;
    return count;
  }
  bool WaitFor(const std::string& part, int timeoutMs = 20'000) const {
    return WaitUntil([&] { return Count(part) > 0; }, timeoutMs);
  }
  std::string All() const {
    std::lock_guard lock(m_mutex);
    std::string all;
    for (const BrokerNotice& notice : m_notices) all += notice.text + "\n";
    return all;
  }

 private:
  mutable std::mutex m_mutex;
  std::vector<BrokerNotice> m_notices;
};

BrokerConfig MakeConfig(const std::string& url, const TempFolder& folder, const std::string& site = "north") {
  BrokerSettings settings;
  settings.url = url;
  settings.site = site;
  settings.spoolFolder = folder.Path("spool");
  BrokerConfigResult result = ResolveBrokerSettings(settings);
  EXPECT_TRUE(result.config) << result.problem;
  return result.config.value_or(BrokerConfig{});
}

bool IsRecord(const HeardMessage& message) { return message.topic == "plenx/north/record"; }

// The sequence numbers of the records heard, repeats left out, in the order
// they first came.
std::vector<uint64_t> HeardSequence(const MqttListener& listener) {
  std::vector<uint64_t> sequence;
  std::set<uint64_t> seen;
  for (const HeardMessage& message : listener.Messages()) {
    if (!IsRecord(message)) continue;
    const std::optional<RecordPayload> record = ParseRecordPayload(message.payload);
    if (record && seen.insert(record->seq).second) sequence.push_back(record->seq);
  }
  return sequence;
}

std::vector<uint64_t> OneTo(uint64_t last) {
  std::vector<uint64_t> numbers;
  for (uint64_t n = 1; n <= last; ++n) numbers.push_back(n);
  return numbers;
}

class BrokerPublisherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TestBroker::Available())
      GTEST_SKIP() << "mosquitto is not installed (scripts/install-deps.sh installs it)";
  }
  TempFolder m_folder;
  NoticeLog m_notices;
};

TEST_F(BrokerPublisherTest, PublishesStatusLinkValuesAndEveryLoggedRecord) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Output();
  MqttListener listener(broker.Port(), "plenx/#");
  ASSERT_TRUE(listener.WaitSubscribed());
  {
    BrokerPublisher publisher(MakeConfig(broker.Url(), m_folder), m_notices.Handler());
    publisher.OnRunStarted(MakeTestStart());
    publisher.OnRecord(MakeTestRecord(1, 1000));
    publisher.OnRecord(MakeTestRecord(2, 1500, /*logged=*/false));  // LOGEVERY passed it over
    publisher.OnRecord(MakeTestRecord(3, 2000));
    ASSERT_TRUE(listener.WaitLast("plenx/north/link", "receiving"));
    RunEvent quiet;
    quiet.kind = RunEventKind::kLineQuiet;
    publisher.OnRunEvent(quiet);
    ASSERT_TRUE(listener.WaitLast("plenx/north/link", "COMMUNICATION ERROR"));
    RunEvent lost;
    lost.kind = RunEventKind::kLineLost;
    publisher.OnRunEvent(lost);
    ASSERT_TRUE(listener.WaitLast("plenx/north/link", "port lost"));
    publisher.OnRecord(MakeTestRecord(4, 12'000));

    ASSERT_TRUE(listener.WaitFor(IsRecord, 3));
    ASSERT_TRUE(listener.WaitLast("plenx/north/link", "receiving"));
    std::vector<RecordPayload> records;
    for (const HeardMessage& message : listener.Messages()) {
      if (IsRecord(message)) records.push_back(*ParseRecordPayload(message.payload));
    }
    ASSERT_EQ(records.size(), 3u);
    const std::shared_ptr<const RunRecord> logged[] = {MakeTestRecord(1, 1000), MakeTestRecord(3, 2000),
                                                       MakeTestRecord(4, 12'000)};
    for (size_t i = 0; i < records.size(); ++i) {
      const RunRecord& taken = *logged[i];
      EXPECT_EQ(records[i].seq, i + 1);
      EXPECT_EQ(records[i].run, records[0].run);
      EXPECT_EQ(records[i].logName, "site.log");
      EXPECT_EQ(records[i].line, FormatLogLine(taken.time, taken.text));
    }
    EXPECT_EQ(listener.Last("plenx/north/status"), "online");
    EXPECT_EQ(listener.Last("plenx/north/outdoor/compressor"), "4");
    EXPECT_EQ(listener.Last("plenx/north/outdoor/working_mode"), "Heat");
    EXPECT_EQ(listener.Last("plenx/north/outdoor/outdoor_air_temperature_f"), "77.0");
    EXPECT_EQ(listener.Last("plenx/north/indoor_a_hk/fan_speed_rpm"), "1004");
    EXPECT_EQ(listener.Last("plenx/north/indoor_a_hk/state"),
              R"({"fan_speed_rpm":1004,"working_mode":"Cool"})");

    // A subscriber that comes later finds the status and values retained.
    MqttListener later(broker.Port(), "plenx/north/#");
    ASSERT_TRUE(later.WaitLast("plenx/north/outdoor/compressor", "4"));
    EXPECT_EQ(later.Last("plenx/north/status"), "online");
    EXPECT_EQ(later.Last("plenx/north/record"), "") << "records are not retained";

    publisher.OnRunEnded(RunEnd{});
    EXPECT_TRUE(listener.WaitLast("plenx/north/status", "offline"));
    EXPECT_TRUE(listener.WaitLast("plenx/north/link", "stopped"));
  }
  EXPECT_EQ(m_notices.Count("Cannot"), 0u) << m_notices.All();
  EXPECT_EQ(m_notices.Count("Publishing to the MQTT broker " + broker.Url() + " as site north."), 1u);
}

// The run's events go out as they come while the broker is connected, one
// JSON object each, in the window's texts as UTF-8.
TEST_F(BrokerPublisherTest, PublishesTheRunsEvents) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start()) << broker.Output();
  MqttListener listener(broker.Port(), "plenx/north/event");
  ASSERT_TRUE(listener.WaitSubscribed());
  BrokerPublisher publisher(MakeConfig(broker.Url(), m_folder), m_notices.Handler());
  ChangeEvent early;
  early.kind = ChangeKind::kRunStarted;
  publisher.AddChange(early);  // before the run reaches the publisher: passed over
  publisher.OnRunStarted(MakeTestStart());
  publisher.OnRecord(MakeTestRecord(1, 1000));
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetCounts().connected; }, 20'000));
  ChangeEvent fault;
  fault.severity = EventSeverity::kFault;
  fault.time = LocalTime{2015, 3, 7, 14, 5, 9, 42};
  fault.timeMs = 1425737109042;
  fault.record = 17;
  fault.listIndex = 0;
  fault.tab = "OUTDOOR";
  fault.parameter =
      "Outdoor \xB0"
      "F";  // Windows-1252 degree sign
  fault.before = "NO Fault";
  fault.after = "Overcurrent \"Compressor\"";
  publisher.AddChange(fault);
  ASSERT_TRUE(listener.WaitFor([](const HeardMessage&) { return true; }));
  const std::vector<HeardMessage> heard = listener.Messages();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_FALSE(heard[0].retained);
  EXPECT_EQ(heard[0].payload,
            R"({"time":"2015-03-07 14:05:09.042","timeMs":1425737109042,"record":17,"severity":"fault",)"
            "\"unit\":\"OUTDOOR\",\"parameter\":\"Outdoor \xC2\xB0"
            "F\",\"before\":\"NO Fault\","
            R"("after":"Overcurrent \"Compressor\""})");
  publisher.OnRunEnded(RunEnd{});
}

TEST_F(BrokerPublisherTest, ReplayPublishesNothing) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  MqttListener listener(broker.Port(), "plenx/#");
  ASSERT_TRUE(listener.WaitSubscribed());
  {
    BrokerPublisher publisher(MakeConfig(broker.Url(), m_folder), m_notices.Handler());
    RunStart replay = MakeTestStart("");
    replay.replay = true;
    publisher.OnRunStarted(replay);
    publisher.OnRecord(MakeTestRecord(1, 1000, false));
    publisher.OnRunEnded(RunEnd{});
  }
  // A live run after it shows the publisher was able to publish all along.
  {
    BrokerPublisher publisher(MakeConfig(broker.Url(), m_folder), m_notices.Handler());
    publisher.OnRunStarted(MakeTestStart());
    publisher.OnRecord(MakeTestRecord(1, 1000));
    ASSERT_TRUE(listener.WaitFor(IsRecord));
  }
  EXPECT_EQ(listener.Count([](const HeardMessage& m) { return m.topic == "plenx/north/outdoor/compressor"; }),
            1u);
}

TEST_F(BrokerPublisherTest, AnnouncesEverySensorToHomeAssistant) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  BrokerConfig config = MakeConfig(broker.Url(), m_folder, "Caf\xC3\xA9 North");
  config.discoveryPrefix = "homeassistant";
  BrokerPublisher publisher(config, m_notices.Handler());
  publisher.OnRunStarted(MakeTestStart());
  publisher.OnRecord(MakeTestRecord(1, 1000));
  MqttListener states(broker.Port(), "plenx/#");
  ASSERT_TRUE(states.WaitLast("plenx/Caf\xC3\xA9 North/outdoor/compressor", "1"));

  // Read back as Home Assistant would: subscribed after the fact, retained.
  MqttListener hub(broker.Port(), "homeassistant/#");
  const size_t rows = MakeTestLayout()->rows.size();
  ASSERT_TRUE(hub.WaitFor([](const HeardMessage& m) { return m.topic.ends_with("/config"); }, rows));

  const std::regex member(R"re("([a-z_]+)":"([^"]*)")re");
  std::set<std::string> uniqueIds;
  std::map<std::string, std::string> byName;
  for (const HeardMessage& message : hub.Messages()) {
    EXPECT_TRUE(message.retained) << message.topic;
    EXPECT_TRUE(message.topic.starts_with("homeassistant/sensor/plenx_cafe_north/")) << message.topic << "\n"
                                                                                     << message.payload;
    std::map<std::string, std::string> fields;
    for (auto it = std::sregex_iterator(message.payload.begin(), message.payload.end(), member);
         it != std::sregex_iterator(); ++it) {
      fields.emplace((*it)[1], (*it)[2]);  // the sensor's own, before the device's
    }
    uniqueIds.insert(fields["unique_id"]);
    EXPECT_EQ(fields["availability_topic"], "plenx/Caf\xC3\xA9 North/status");
    EXPECT_EQ(fields["payload_available"], "online");
    EXPECT_EQ(fields["payload_not_available"], "offline");
    EXPECT_TRUE(WaitUntil([&] { return !states.Last(fields["state_topic"]).empty(); }, 10'000))
        << "no value on " << fields["state_topic"];
    EXPECT_NE(message.payload.find(R"("device":{"identifiers":["plenx_cafe_north"],"name":"Plenx Caf)"),
              std::string::npos)
        << message.payload;
    EXPECT_NE(message.payload.find(R"("model":"Plenx Logger","sw_version":")"), std::string::npos);
    byName[fields["name"]] = message.payload;
  }
  EXPECT_EQ(uniqueIds.size(), rows);
  const std::string temperature = byName
      ["OUTDOOR Outdoor Air Temperature [\xC2\xB0"
       "F]"];
  EXPECT_NE(temperature.find(
                R"("unit_of_measurement":"°F","device_class":"temperature","state_class":"measurement")"),
            std::string::npos)
      << temperature;
  EXPECT_NE(byName["INDOOR A / HK Fan Speed [rpm]"].find(R"("unit_of_measurement":"rpm")"),
            std::string::npos);
  EXPECT_NE(byName["OUTDOOR Compressor"].find(R"("unit_of_measurement":"%")"), std::string::npos);
  const std::string state = byName["OUTDOOR Working Mode"];
  EXPECT_EQ(state.find("state_class"), std::string::npos) << state;
  EXPECT_EQ(state.find("unit_of_measurement"), std::string::npos) << state;
}

TEST_F(BrokerPublisherTest, RecordsWaitInTheSpoolUntilTheBrokerComesAndTheRefusalIsSaidOnce) {
  TestBroker broker;
  BrokerPublisher publisher(MakeConfig(broker.Url(), m_folder), m_notices.Handler());
  publisher.OnRunStarted(MakeTestStart());
  for (uint64_t n = 1; n <= 5; ++n) publisher.OnRecord(MakeTestRecord(n, n * 500));
  ASSERT_TRUE(m_notices.WaitFor("Cannot publish to the MQTT broker " + broker.Url() +
                                ": connection refused. "
                                "Logging goes on; the records wait in the spool"))
      << m_notices.All();
  // Two more attempts fail (after 1 s and 2 s) without another word.
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetCounts().recordsSpooled == 5; }, 10'000));
  std::this_thread::sleep_for(std::chrono::milliseconds(3200));
  EXPECT_EQ(m_notices.Count("Cannot publish"), 1u) << m_notices.All();

  ASSERT_TRUE(broker.Start());
  MqttListener listener(broker.Port(), "plenx/#");
  ASSERT_TRUE(listener.WaitSubscribed());
  for (uint64_t n = 6; n <= 8; ++n) publisher.OnRecord(MakeTestRecord(n, n * 500));
  ASSERT_TRUE(WaitUntil([&] { return HeardSequence(listener).size() >= 8; }, 70'000)) << m_notices.All();
  EXPECT_EQ(HeardSequence(listener), OneTo(8));
  EXPECT_EQ(m_notices.Count("Publishing to the MQTT broker " + broker.Url() + " again."), 1u)
      << m_notices.All();
}

TEST_F(BrokerPublisherTest, ABrokerKilledMidRunGetsEveryRecordAfterItsRestart) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  // A subscriber whose session the broker keeps (and saves) while it is away.
  auto listener = std::make_unique<MqttListener>(broker.Port(), "plenx/north/record", "test-subscriber");
  ASSERT_TRUE(listener->WaitSubscribed());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the broker's autosave takes the session

  BrokerPublisher publisher(MakeConfig(broker.Url(), m_folder), m_notices.Handler());
  publisher.OnRunStarted(MakeTestStart());
  uint64_t n = 0;
  while (n < 10) ++n, publisher.OnRecord(MakeTestRecord(n, n * 500));
  ASSERT_TRUE(WaitUntil([&] { return HeardSequence(*listener).size() >= 10; }, 20'000));
  listener.reset();
  broker.Kill();
  ASSERT_TRUE(m_notices.WaitFor("The connection to the MQTT broker " + broker.Url() + " was lost: "));
  while (n < 20) ++n, publisher.OnRecord(MakeTestRecord(n, n * 500));
  ASSERT_TRUE(broker.Start());
  listener = std::make_unique<MqttListener>(broker.Port(), "plenx/north/record", "test-subscriber");
  while (n < 25) ++n, publisher.OnRecord(MakeTestRecord(n, n * 500));
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<uint64_t> heard = HeardSequence(*listener);
        return !heard.empty() && heard.back() == 25;
      },
      70'000))
      << m_notices.All();
  const std::vector<uint64_t> heard = HeardSequence(*listener);
  // What came after the kill, in order, none missing.
  ASSERT_FALSE(heard.empty());
  EXPECT_LE(heard.front(), 11u);
  EXPECT_EQ(heard.back(), 25u);
  for (size_t i = 1; i < heard.size(); ++i) EXPECT_EQ(heard[i], heard[i - 1] + 1);
  EXPECT_EQ(m_notices.Count("was lost"), 1u) << m_notices.All();
}

TEST_F(BrokerPublisherTest, AWrongPasswordIsSaidOnceWithTheBrokersReasonWhileRecordsWait) {
  TestBrokerOptions options;
  options.user = "tech";
  options.password = "right";
  TestBroker broker(options);
  ASSERT_TRUE(broker.Start()) << broker.Output();
  const std::string wrongFile = m_folder.Write("wrong", "wrong\n");
  BrokerSettings settings;
  settings.url = broker.Url();
  settings.site = "north";
  settings.user = "tech";
  settings.passwordFile = wrongFile;
  settings.spoolFolder = m_folder.Path("spool");
  {
    BrokerPublisher publisher(*ResolveBrokerSettings(settings).config, m_notices.Handler());
    publisher.OnRunStarted(MakeTestStart());
    publisher.OnRecord(MakeTestRecord(1, 500));
    ASSERT_TRUE(m_notices.WaitFor("Cannot publish to the MQTT broker " + broker.Url() +
                                  ": the broker refused the connection: not authorized"))
        << m_notices.All();
    std::this_thread::sleep_for(std::chrono::milliseconds(3200));
    publisher.OnRecord(MakeTestRecord(2, 1000));
    ASSERT_TRUE(WaitUntil([&] { return publisher.GetCounts().recordsSpooled == 2; }, 10'000));
    EXPECT_EQ(m_notices.Count("refused"), 1u) << m_notices.All();
  }
  // With the right password the records that waited go out.
  settings.passwordFile = m_folder.Write("right", "right");
  MqttListener listener(broker.Port(), "plenx/#");
  (void)listener;
  BrokerPublisher publisher(*ResolveBrokerSettings(settings).config, m_notices.Handler());
  publisher.OnRunStarted(MakeTestStart());
  EXPECT_TRUE(WaitUntil([&] { return publisher.GetCounts().recordsAcked >= 2; }, 20'000)) << m_notices.All();
}

TEST_F(BrokerPublisherTest, AnUnknownHostIsSaid) {
  BrokerPublisher publisher(MakeConfig("mqtt://no-such-host.invalid:1883", m_folder), m_notices.Handler());
  publisher.OnRunStarted(MakeTestStart());
  publisher.OnRecord(MakeTestRecord(1, 500));
  EXPECT_TRUE(
      m_notices.WaitFor("Cannot publish to the MQTT broker mqtt://no-such-host.invalid:1883: unknown host"))
      << m_notices.All();
  EXPECT_TRUE(WaitUntil([&] { return publisher.GetCounts().recordsSpooled == 1; }, 10'000));
}

TEST_F(BrokerPublisherTest, TlsTrustsOnlyACertificateForTheBrokersName) {
  struct Case {
    const char* certificateName;
    bool trusted;
  };
  for (const Case& c : {Case{"localhost", true}, Case{"someone-else.example.org", false}}) {
    SCOPED_TRACE(c.certificateName);
    TestBrokerOptions options;
    options.tls = true;
    options.serverName = c.certificateName;
    TestBroker broker(options);
    ASSERT_TRUE(broker.Start()) << broker.Output();
    NoticeLog notices;
    TempFolder folder;
    BrokerSettings settings;
    settings.url = broker.Url();
    settings.caFile = broker.CaFile();
    settings.site = "north";
    settings.spoolFolder = folder.Path("spool");
    BrokerPublisher publisher(*ResolveBrokerSettings(settings).config, notices.Handler());
    publisher.OnRunStarted(MakeTestStart());
    publisher.OnRecord(MakeTestRecord(1, 500));
    if (c.trusted) {
      EXPECT_TRUE(WaitUntil([&] { return publisher.GetCounts().recordsAcked == 1; }, 20'000))
          << notices.All();
    } else {
      EXPECT_TRUE(notices.WaitFor("Cannot publish to the MQTT broker " + broker.Url() +
                                  ": the broker's TLS certificate is not trusted or does not match its name"))
          << notices.All();
      EXPECT_EQ(publisher.GetCounts().recordsAcked, 0u);
    }
  }
}

TEST_F(BrokerPublisherTest, AFullSpoolDropsTheOldestCountsThemAndSaysSoOnce) {
  TestBroker broker;
  BrokerConfig config = MakeConfig(broker.Url(), m_folder);
  config.spoolLimits.maxBytes = 256 * 1024;
  BrokerPublisher publisher(config, m_notices.Handler());
  publisher.OnRunStarted(MakeTestStart());
  const uint64_t records = 1000;
  for (uint64_t n = 1; n <= records; ++n) {
    auto record = std::make_shared<RunRecord>(*MakeTestRecord(n, static_cast<int64_t>(n) * 500));
    record->text += std::string(1000, '7') + ",";
    publisher.OnRecord(record);
  }
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetCounts().recordsSpooled == records; }, 20'000));
  ASSERT_TRUE(m_notices.WaitFor(" is full: the oldest records waiting for the broker " + broker.Url() +
                                " are dropped (the log file keeps them all)"))
      << m_notices.All();
  EXPECT_EQ(m_notices.Count("is full"), 1u);

  ASSERT_TRUE(broker.Start());
  MqttListener listener(broker.Port(), "plenx/north/record");
  ASSERT_TRUE(listener.WaitSubscribed());
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<uint64_t> heard = HeardSequence(listener);
        return !heard.empty() && heard.back() == records;
      },
      70'000))
      << m_notices.All();
  // The newest records came, in order, the oldest were dropped and counted.
  const std::vector<uint64_t> heard = HeardSequence(listener);
  const uint64_t dropped = heard.front() - 1;
  EXPECT_GT(dropped, 0u);
  EXPECT_EQ(heard.size(), records - dropped);
  EXPECT_EQ(publisher.GetCounts().recordsDropped, dropped);
  EXPECT_TRUE(
      m_notices.WaitFor(std::to_string(dropped) + " records were dropped from the full spool meanwhile"))
      << m_notices.All();
}

}  // namespace
