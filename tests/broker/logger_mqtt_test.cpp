// plenx-logger publishing end to end: an unattended run on the simulated
// board with --mqtt, read back from a broker the test starts; and the
// broker's options refused before any run.
#include <gtest/gtest.h>

#include <signal.h>

#include <set>
#include <string>
#include <vector>

#include "broker/record_payload.h"
#include "testkit/test_broker.h"
#include "tests/broker/mqtt_listener.h"
#include "tests/e2e/board_sim.h"
#include "tests/e2e/logger_process.h"
#include "tests/support/scoped_env.h"

namespace {

constexpr size_t kRecordsToSee = 3;

bool IsRecord(const HeardMessage& message) { return message.topic == "plenx/s/record"; }

// The window (on Qt's offscreen platform, started by --start) and the
// unattended run publish alike.
TEST(LoggerMqttTest, ARunPublishesEveryLoggedRecordAndItsStatus) {
  if (!TestBroker::Available()) GTEST_SKIP() << "mosquitto is not installed";
  for (const bool headless : {true, false}) {
    SCOPED_TRACE(headless ? "headless" : "window");
    TestBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Output();
    MqttListener listener(broker.Port(), "plenx/s/#");
    ASSERT_TRUE(listener.WaitSubscribed());

    ProgramFolder folder;
    const ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
    BoardSim board(folder.Files());
    const std::string device = board.Device();
    ASSERT_FALSE(device.empty());
    folder.MapPort("COM9", device);
    LoggerProcess logger(
        folder, {headless ? "--headless" : "--start", "--port", "COM9", "--log", "site.log", "--mqtt",
                 broker.Url(), "--site", "s", "--mqtt-spool", folder.Files().Path("spool")});
    EXPECT_TRUE(listener.WaitLast("plenx/s/status", "online")) << logger.Err();
    ASSERT_TRUE(listener.WaitFor(IsRecord, kRecordsToSee)) << logger.Err();
    logger.Signal(SIGTERM);
    ASSERT_EQ(logger.WaitExit(), 0) << logger.Err();
    EXPECT_TRUE(listener.WaitLast("plenx/s/status", "offline"));

    // Every record heard is a line of the log, in order and without a gap;
    // the broker was up all along, so the last lines are there too.
    const std::vector<std::string> logLines = Lines(ReadFileBytes(folder.Files().Path("site.log")));
    std::vector<std::string> heard;
    std::set<uint64_t> seqs;
    for (const HeardMessage& message : listener.Messages()) {
      if (!IsRecord(message)) continue;
      const std::optional<RecordPayload> record = ParseRecordPayload(message.payload);
      ASSERT_TRUE(record) << message.payload;
      EXPECT_EQ(record->logName, "site.log");
      if (seqs.insert(record->seq).second) heard.push_back(record->line.substr(0, record->line.size() - 2));
    }
    EXPECT_EQ(heard, logLines);
    EXPECT_EQ(*seqs.rbegin(), seqs.size());
    if (!headless) continue;
    // Said once, on standard error.
    const std::string err = logger.Err();
    const std::string publishing = "plenx-logger: Publishing to the MQTT broker ";
    EXPECT_NE(err.find(publishing + broker.Url()), std::string::npos) << err;
    EXPECT_EQ(err.find(publishing), err.rfind(publishing)) << err;
  }
}

// Bad values stop the program before a run, with the reason, as any bad
// option does.
TEST(LoggerMqttTest, BadBrokerOptionsEndTheProgramWithTheReason) {
  const struct {
    std::vector<std::string> arguments;
    const char* reason;
  } cases[] = {
      {{"--mqtt", "mqtt://localhost", "--site", "a/b"}, "The site name 'a/b' contains '/'"},
      {{"--mqtt", "mqtt://localhost", "--site", ""}, "site"},
      {{"--mqtt", "broker:1883"}, "The MQTT broker URL 'broker:1883' is malformed"},
      {{"--site", "north"}, "--mqtt"},
      {{"--mqtt", "mqtt://localhost", "--mqtt-user", "tech", "--mqtt-password-file", "/nonexistent/pw"},
       "Cannot read the MQTT password file /nonexistent/pw"},
  };
  ProgramFolder folder;
  for (const auto& c : cases) {
    for (const bool headless : {true, false}) {
      std::vector<std::string> arguments = c.arguments;
      if (headless) arguments.insert(arguments.begin(), "--headless");
      LoggerProcess logger(folder, arguments);
      EXPECT_EQ(logger.WaitExit(), 2) << c.arguments[1];
      const std::string err = logger.Err();
      EXPECT_EQ(err.rfind("plenx-logger: ", 0), 0u) << err;
      EXPECT_NE(err.find(c.reason), std::string::npos) << err;
      EXPECT_EQ(err.find("run started"), std::string::npos) << err;
    }
  }
}

}  // namespace
