// plenx-collect against a real broker and real publishers: each site's log
// rebuilt byte for byte, finished days archived, and nothing lost or written
// twice when the collector, the broker or a logger is killed with -9.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "broker/broker_publisher.h"
#include "decode/log_line.h"
#include "testkit/child_process.h"
#include "testkit/run_command.h"
#include "testkit/temp_folder.h"
#include "testkit/test_broker.h"
#include "tests/broker/fake_run.h"
#include "tests/broker/mqtt_listener.h"

namespace {

const std::string kCollect = std::string(PLENX_BIN_DIR) + "/plenx-collect";
const std::string kFleetSim = std::string(PLENX_TESTS_DIR) + "/plenx-fleet-sim";

BrokerConfig SiteConfig(const std::string& url, const std::string& site, const std::string& spool) {
  BrokerSettings settings;
  settings.url = url;
  settings.site = site;
  settings.spoolFolder = spool;
  return *ResolveBrokerSettings(settings).config;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start + 1));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

class CollectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TestBroker::Available())
      GTEST_SKIP() << "mosquitto is not installed (scripts/install-deps.sh installs it)";
  }
  // Starts a collector on broker into folder and waits until it collects.
  void StartCollector(ChildProcess& collector, const TestBroker& broker, const std::string& folder,
                      const std::string& clientId = "test-collector", const std::string& group = {}) {
    std::vector<std::string> argv = {kCollect, "--mqtt",      broker.Url(), "--dir",
                                     folder,   "--client-id", clientId};
    if (!group.empty()) argv.insert(argv.end(), {"--share", group});
    const size_t said = Lines(ReadFileBytes(m_output.Path(clientId))).size();
    ASSERT_TRUE(collector.Start(argv, m_output.Path(clientId)));
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::vector<std::string> lines = Lines(ReadFileBytes(m_output.Path(clientId)));
          return std::any_of(
              lines.begin() + static_cast<ptrdiff_t>(std::min(said, lines.size())), lines.end(),
              [](const std::string& line) { return line.find("collecting") != std::string::npos; });
        },
        20'000))
        << collector.Output();
  }
  TempFolder m_folder;
  TempFolder m_output;
};

TEST_F(CollectorTest, RebuildsEachSitesLogAndArchivesEachFinishedDay) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  ChildProcess collector;
  const std::string dir = m_folder.Path("office");
  StartCollector(collector, broker, dir);

  std::map<std::string, std::string> dayOne;
  std::map<std::string, std::string> dayTwo;
  {
    BrokerPublisher north(SiteConfig(broker.Url(), "north", m_folder.Path("north-spool")), nullptr);
    BrokerPublisher south(SiteConfig(broker.Url(), "south", m_folder.Path("south-spool")), nullptr);
    north.OnRunStarted(MakeTestStart("/home/tech/site.log"));
    south.OnRunStarted(MakeTestStart("C3.log"));
    // Four records before midnight, three after, a skipped one between.
    const int64_t times[] = {86'397'000, 86'398'000, 86'399'000, 86'399'999,
                             86'400'000, 86'401'000, 90'000'000};
    uint64_t n = 0;
    for (const int64_t ms : times) {
      ++n;
      const auto record = MakeTestRecord(n, ms, n != 2);
      north.OnRecord(record);
      south.OnRecord(record);
      if (n == 2) continue;
      const std::string line = FormatLogLine(record->time, record->text);
      (ms < 86'400'000 ? dayOne : dayTwo)["north"] += line;
      (ms < 86'400'000 ? dayOne : dayTwo)["south"] += line;
    }
    ASSERT_TRUE(WaitUntil(
        [&] { return north.GetCounts().recordsAcked == 6 && south.GetCounts().recordsAcked == 6; }, 20'000));
  }
  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(dir + "/south/C3.log") == dayTwo["south"]; }, 20'000))
      << ReadFileBytes(dir + "/south/C3.log");
  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(dir + "/north/site.log") == dayTwo["north"]; }, 20'000));
  // The day before midnight is in the archive Stop would have written.
  EXPECT_EQ(RunCommand("unzip -p '" + dir + "/north/2015-03-07_site.zip' site.log").output, dayOne["north"]);
  EXPECT_EQ(RunCommand("unzip -p '" + dir + "/south/2015-03-07_C3.zip' C3.log").output, dayOne["south"]);
  collector.Stop();
  EXPECT_NE(collector.Output().find("12 records written, 0 repeats skipped, 0 never came"), std::string::npos)
      << collector.Output();
}

TEST_F(CollectorTest, KillNineOfCollectorBrokerOrLoggerLosesNoLineAndWritesNoneTwice) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  ChildProcess collector;
  const std::string dir = m_folder.Path("office");
  StartCollector(collector, broker, dir);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the broker saves the collector's session

  const std::string logs = m_folder.Path("logs");
  std::filesystem::create_directories(logs);
  const auto fleetArgs = [&](const char* records) {
    return std::vector<std::string>{kFleetSim,
                                    "--mqtt",
                                    broker.Url(),
                                    "--sites",
                                    "3",
                                    "--rate",
                                    "40",
                                    "--records",
                                    records,
                                    "--spool-root",
                                    m_folder.Path("spools"),
                                    "--log-root",
                                    logs};
  };
  ChildProcess fleet;
  // The first run lasts until it is killed, the second ends by itself.
  ASSERT_TRUE(fleet.Start(fleetArgs("1000000"), m_output.Path("fleet")));
  const auto logged = [&] { return ReadFileBytes(logs + "/site0.log").size(); };
  const auto pause = [&](size_t moreBytes) {
    const size_t target = logged() + moreBytes;
    ASSERT_TRUE(WaitUntil([&] { return logged() >= target; }, 30'000)) << fleet.Output();
  };
  const size_t lineBytes = 1024;  // about one record of the full layout

  pause(40 * lineBytes);
  collector.Kill();
  pause(20 * lineBytes);
  StartCollector(collector, broker, dir);
  pause(40 * lineBytes);
  broker.Kill();
  pause(20 * lineBytes);
  ASSERT_TRUE(broker.Start());
  pause(40 * lineBytes);
  fleet.Kill();  // a logger killed mid-run: its next run takes up its spool
  ASSERT_TRUE(fleet.Start(fleetArgs("200"), m_output.Path("fleet")));
  pause(40 * lineBytes);
  collector.Kill();
  StartCollector(collector, broker, dir);
  ASSERT_EQ(fleet.Wait(120'000), 0) << fleet.Output();

  for (const char* site : {"site0", "site1", "site2"}) {
    const std::string expected = ReadFileBytes(logs + "/" + site + ".log");
    const std::string collected = dir + "/" + site + "/" + site + ".log";
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(collected).size() >= expected.size(); }, 90'000))
        << site;
    const std::vector<std::string> want = Lines(expected);
    const std::vector<std::string> got = Lines(ReadFileBytes(collected));
    // The logger's log has a line once its record is in the spool, so the
    // one record the kill caught between the two may be collected without
    // being in that log; nothing else may differ.
    std::vector<std::string> extra;
    size_t next = 0;
    for (const std::string& line : got) {
      if (next < want.size() && line == want[next]) {
        ++next;
      } else {
        extra.push_back(line);
      }
    }
    EXPECT_EQ(next, want.size()) << site << ": a line of the logger's log was not collected: " << want[next];
    EXPECT_LE(extra.size(), 1u) << site
                                << ": lines collected twice or out of order, first: " << extra.front();
    std::vector<std::string> sorted = got;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end())
        << site << ": a line written twice";
  }
  collector.Stop();
  EXPECT_NE(collector.Output().find("0 never came"), std::string::npos) << collector.Output();
}

TEST_F(CollectorTest, CollectorsOnASharedSubscriptionSplitTheRecords) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  ChildProcess first;
  ChildProcess second;
  StartCollector(first, broker, m_folder.Path("first"), "first", "office");
  StartCollector(second, broker, m_folder.Path("second"), "second", "office");
  std::vector<std::string> all;
  {
    BrokerPublisher publisher(SiteConfig(broker.Url(), "north", m_folder.Path("spool")), nullptr);
    publisher.OnRunStarted(MakeTestStart());
    for (uint64_t n = 1; n <= 40; ++n) {
      const auto record = MakeTestRecord(n, static_cast<int64_t>(n) * 100);
      publisher.OnRecord(record);
      all.push_back(FormatLogLine(record->time, record->text));
    }
    ASSERT_TRUE(WaitUntil([&] { return publisher.GetCounts().recordsAcked == 40; }, 20'000));
  }
  std::vector<std::string> collected;
  ASSERT_TRUE(WaitUntil(
      [&] {
        collected = Lines(ReadFileBytes(m_folder.Path("first/north/site.log")));
        for (const std::string& line : Lines(ReadFileBytes(m_folder.Path("second/north/site.log")))) {
          collected.push_back(line);
        }
        return collected.size() >= all.size();
      },
      20'000));
  std::sort(collected.begin(), collected.end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(collected, all);
  EXPECT_FALSE(ReadFileBytes(m_folder.Path("first/north/site.log")).empty()) << "one collector took all";
  EXPECT_FALSE(ReadFileBytes(m_folder.Path("second/north/site.log")).empty()) << "one collector took all";
}

TEST_F(CollectorTest, SkipsWhatCannotBeASiteOrALogFileAndSaysWhy) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  ChildProcess collector;
  const std::string dir = m_folder.Path("office");
  StartCollector(collector, broker, dir);
  InitMqttLibrary();
  mosquitto* client = mosquitto_new(nullptr, true, nullptr);
  ASSERT_EQ(mosquitto_connect(client, "127.0.0.1", broker.Port(), 30), 0);
  const auto publish = [&](const std::string& topic, const std::string& payload) {
    mosquitto_publish(client, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1,
                      false);
  };
  const std::string line = "2015/03/07-14:05:09.042   -   1,2,\r\n";
  publish("plenx/../record", "seq=1 run=r log=a.log\n" + line);
  publish("plenx/north/record", "seq=1 run=r log=..%2F..%2Fescaped.log\n" + line);
  publish("plenx/north/record", "seq=1 run=r log=a%2Fb.log\n" + line);
  publish("plenx/north/record", "hello");
  publish("plenx/north/record", "seq=1 run=r log=good.log\n" + line);
  for (int i = 0; i < 20; ++i) mosquitto_loop(client, 50, 1);
  mosquitto_disconnect(client);
  mosquitto_destroy(client);

  ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(dir + "/north/good.log") == line; }, 20'000))
      << collector.Output();
  const std::string said = collector.Output();
  EXPECT_NE(said.find("A record came from the site '..', whose name starts with '.'; it is skipped."),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("log name '../../escaped.log' starts with '.'; it is skipped."), std::string::npos)
      << said;
  EXPECT_NE(said.find("log name 'a/b.log' contains a folder separator; it is skipped."), std::string::npos)
      << said;
  EXPECT_NE(said.find("a message on plenx/north/record is not a record; it is skipped"), std::string::npos)
      << said;
  EXPECT_FALSE(std::filesystem::exists(m_folder.Path("escaped.log")));
  EXPECT_FALSE(std::filesystem::exists(dir + "/../escaped.log"));
}

TEST_F(CollectorTest, RefusesBadArgumentsWithTheReason) {
  struct Case {
    std::string args;
    const char* reasonPart;
  };
  for (const Case& c : {Case{"--mqtt broker:1883 --dir d", "is malformed: not an MQTT URL"},
                        Case{"--mqtt mqtt://b --dir d --mqtt-ca ca.pem", "--mqtt-ca needs an mqtts:// URL"},
                        Case{"--mqtt mqtt://b --dir d --share a/b", "may not contain '/'"},
                        Case{"--dir d", "--mqtt is required"}}) {
    const CommandResult result = RunCommand(kCollect + " " + c.args + " 2>&1");
    EXPECT_EQ(result.exitCode, 2) << c.args;
    EXPECT_NE(result.output.find(c.reasonPart), std::string::npos) << result.output;
  }
}

}  // namespace
