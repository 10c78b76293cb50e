// plenx-logger serving its live page end to end: an unattended run on the
// simulated board with --serve, read on loopback while it runs.
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testkit/free_port.h"
#include "testkit/json_value.h"
#include "tests/e2e/board_sim.h"
#include "tests/e2e/logger_process.h"

namespace {

constexpr const char* kToken = "site-box-token-0123456789";

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class LoggerServeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_device = m_board.Device();
    ASSERT_FALSE(m_device.empty());
    m_folder.MapPort("COM9", m_device);
    m_port = FreeLoopbackPort();
    ASSERT_GT(m_port, 0);
  }

  std::vector<std::string> ServeArguments() const {
    return {"--headless",
            "--port",
            "COM9",
            "--log",
            "site.log",
            "--serve",
            "127.0.0.1:" + std::to_string(m_port)};
  }

  // /api/state once it shows a run on COM9 with records, with headers;
  // nullopt when it never does.
  std::optional<JsonValue> RunningState(const httplib::Headers& headers = {}) const {
    httplib::Client client("127.0.0.1", m_port);
    std::optional<JsonValue> state;
    WaitUntil(
        [&] {
          const httplib::Result result = client.Get("/api/state", headers);
          if (!result || result->status != 200) return false;
          state = JsonValue::Parse(result->body);
          return state && (*state)["run"]["state"].string() == "running" &&
                 (*state)["run"]["records"].number() >= 2;
        },
        kProgramTimeoutMs);
    return state;
  }

  ProgramFolder m_folder;
  BoardSim m_board{m_folder.Files()};
  std::string m_device;
  int m_port = 0;
};

TEST_F(LoggerServeTest, AnUnattendedRunIsServedOnThisMachineWithoutAToken) {
  LoggerProcess logger(m_folder, ServeArguments());
  ASSERT_TRUE(logger.WaitForRun()) << logger.Err();
  const std::optional<JsonValue> state = RunningState();
  ASSERT_TRUE(state) << logger.Err();
  EXPECT_EQ((*state)["run"]["port"].string(), "COM9");
  EXPECT_EQ((*state)["run"]["logName"].string(), "site.log");
  EXPECT_EQ(Count(logger.Err(), "plenx-logger: live page on http://127.0.0.1:" + std::to_string(m_port) +
                                    "/, for this machine only\n"),
            1u)
      << logger.Err();
  logger.Signal(SIGTERM);
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
  // Served no longer once the program has gone.
  httplib::Client client("127.0.0.1", m_port);
  EXPECT_FALSE(client.Get("/api/state"));
}

TEST_F(LoggerServeTest, ATokenFileIsAskedForAndNeverPrinted) {
  const std::string tokenFile = m_folder.Files().Write("page.token", std::string(kToken) + "\n");
  std::vector<std::string> arguments = ServeArguments();
  arguments.insert(arguments.end(), {"--serve-token-file", tokenFile});
  LoggerProcess logger(m_folder, arguments);
  ASSERT_TRUE(logger.WaitForRun()) << logger.Err();
  httplib::Client client("127.0.0.1", m_port);
  const httplib::Result refused = client.Get("/api/state");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 401);
  ASSERT_TRUE(RunningState({{"Authorization", std::string("Bearer ") + kToken}})) << logger.Err();
  const std::string err = logger.Err();
  EXPECT_EQ(Count(err, "plenx-logger: page access token: the first line of " + tokenFile + "\n"), 1u) << err;
  EXPECT_EQ(Count(err, "plenx-logger: sign-in link for one browser (works once): http://127.0.0.1:"), 1u)
      << err;
  EXPECT_EQ(err.find(kToken), std::string::npos) << err;
  logger.Signal(SIGTERM);
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
}

// A page that cannot be served (its port taken) starts no run; bad values
// end the program as any bad option does.
TEST_F(LoggerServeTest, APageThatCannotBeServedStartsNoRun) {
  LoggerProcess first(m_folder, ServeArguments(), "first");
  ASSERT_TRUE(first.WaitForRun()) << first.Err();
  LoggerProcess second(m_folder, ServeArguments(), "second");
  EXPECT_EQ(second.WaitExit(), 1);
  EXPECT_NE(second.Err().find("plenx-logger: Cannot serve the page on 127.0.0.1:" + std::to_string(m_port)),
            std::string::npos)
      << second.Err();
  EXPECT_EQ(second.Err().find("run started"), std::string::npos) << second.Err();
  first.Signal(SIGTERM);
  EXPECT_EQ(first.WaitExit(), 0) << first.Err();

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--headless", "--serve", "nonsense"},
        {"--serve", "127.0.0.1:99999"},
        {"--headless", "--serve", "8080", "--serve-cert", "cert.pem"}}) {
    LoggerProcess logger(m_folder, bad, "bad");
    EXPECT_EQ(logger.WaitExit(), 2) << bad[1];
    EXPECT_EQ(logger.Err().rfind("plenx-logger: ", 0), 0u) << logger.Err();
  }
}

}  // namespace
