// The page's server on an open loopback address: the page's files, the API
// with the live state, the event stream, the log's download, and the headers
// every answer carries.
#include <httplib.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "page/live_page.h"
#include "testkit/json_value.h"
#include "testkit/page_fixture.h"
#include "testkit/temp_folder.h"
#include "testkit/wait.h"

namespace {

class PageServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_config.Load("");
    PageSettings settings;
    settings.serve = true;
    std::string error;
    m_page = LivePage::Start(settings, error);
    ASSERT_TRUE(m_page) << error;
    m_client = std::make_unique<httplib::Client>("127.0.0.1", m_page->port());
  }

  void StartRun(const std::string& logPath = {}) {
    m_page->face().OnRunStarted(TestRunStart(m_config, logPath));
  }

  std::shared_ptr<const RunRecord> Feed() {
    std::shared_ptr<const RunRecord> record = m_records.Next();
    m_page->face().OnRecord(record);
    return record;
  }

  JsonValue GetJson(const std::string& path) {
    const httplib::Result result = m_client->Get(path);
    EXPECT_TRUE(result);
    if (!result) return {};
    EXPECT_EQ(result->status, 200) << path;
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/json");
    const std::optional<JsonValue> json = JsonValue::Parse(result->body);
    EXPECT_TRUE(json) << result->body.substr(0, 200);
    return json.value_or(JsonValue{});
  }

  LoggerConfig m_config;
  SimulatedRecords m_records{LoggerConfig{}, 7};
  std::unique_ptr<LivePage> m_page;
  std::unique_ptr<httplib::Client> m_client;
  TempFolder m_folder;
};

TEST_F(PageServerTest, StateHoldsTheTabsTextsOfTheLastRecordAndItsSeries) {
  StartRun();
  std::shared_ptr<const RunRecord> last;
  for (int r = 0; r < 30; ++r) last = Feed();

  const JsonValue state = GetJson("/api/state");
  EXPECT_EQ(state["run"]["state"].string(), "running");
  EXPECT_EQ(state["run"]["port"].string(), "COM9");
  EXPECT_EQ(state["run"]["records"].number(), 30);
  EXPECT_EQ(state["record"]["sequence"].number(), 30);
  EXPECT_EQ(state["link"]["banner"].boolean(), false);
  EXPECT_EQ(state["link"]["state"].string(), "receiving");

  // The tabs and rows carry the views' texts, converted to UTF-8 as the
  // window converts them ("[°F]").
  std::string views = "banner: hidden\n";
  for (const JsonValue& tab : state["tabs"].array()) {
    views += "[" + tab["text"].string() + "]\n";
    for (const JsonValue& row : tab["rows"].array()) {
      views += row["parameter"].string() + "\t" + row["value"].string() + "\n";
    }
  }
  EXPECT_EQ(views, ExpectedViews(m_config, m_records.lastText(), false));

  // A series per numeric row, each point one of the records' numbers.
  const JsonValue& series = state["series"];
  EXPECT_EQ(series["endMs"].number(), static_cast<double>(last->timeMs));
  size_t numericRows = 0;
  const std::shared_ptr<const RunLayout> layout = RunLayoutOf(m_config);
  for (const RunRow& row : layout->rows) numericRows += row.quantity != ValueQuantity::kNone;
  ASSERT_EQ(series["rows"].size(), numericRows);
  const JsonValue& first = series["rows"][0];
  ASSERT_EQ(first["t"].size(), first["v"].size());
  EXPECT_GT(first["t"].size(), 0u);
  EXPECT_EQ(first["t"][first["t"].size() - 1].number(), 0);
  EXPECT_FLOAT_EQ(static_cast<float>(first["v"][first["v"].size() - 1].number()),
                  static_cast<float>(last->numbers[static_cast<size_t>(first["row"].number())]));
}

TEST_F(PageServerTest, EveryAnswerForbidsFramingScriptsFromElsewhereAndCachingOfTheApi) {
  StartRun();
  for (const char* path : {"/", "/page.js", "/api/state", "/api/events", "/nothing-here"}) {
    SCOPED_TRACE(path);
    // Offered every encoding, the server compresses nothing (the library's
    // brotli would cost tens of milliseconds of processor time a request).
    const httplib::Result result = m_client->Get(path, {{"Accept-Encoding", "gzip, deflate, br"}});
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->has_header("Content-Encoding"));
    const std::string policy = result->get_header_value("Content-Security-Policy");
    EXPECT_NE(policy.find("default-src 'none'"), std::string::npos);
    EXPECT_NE(policy.find("script-src 'self'"), std::string::npos);
    EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos);
    EXPECT_EQ(result->get_header_value("X-Frame-Options"), "DENY");
    EXPECT_EQ(result->get_header_value("X-Content-Type-Options"), "nosniff");
    if (std::string(path).rfind("/api/", 0) == 0) {
      EXPECT_EQ(result->get_header_value("Cache-Control"), "no-store");
    }
  }
  const httplib::Result missing = m_client->Get("/nothing-here");
  EXPECT_EQ(missing->status, 404);
  EXPECT_EQ(missing->body, "There is nothing here.\n");
  EXPECT_EQ(m_client->Get("/api/nothing")->body, "{\"error\":\"There is nothing here.\"}");
}

TEST_F(PageServerTest, NothingCanBeChanged) {
  for (const char* method : {"POST", "PUT", "DELETE", "PATCH"}) {
    SCOPED_TRACE(method);
    httplib::Request request;
    request.method = method;
    request.path = "/api/state";
    const httplib::Result result = m_client->send(request);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 405);
    EXPECT_EQ(result->get_header_value("Allow"), "GET, HEAD");
  }
}

TEST_F(PageServerTest, AnOpenPageAnswersOnlyToThisMachinesNames) {
  struct Case {
    const char* host;
    int status;
  };
  for (const Case& c : {Case{"127.0.0.1:8080", 200}, Case{"localhost:1", 200}, Case{"[::1]:8080", 200},
                        Case{"LOCALHOST", 200}, Case{"attacker.example:8080", 421},
                        Case{"127.0.0.1.evil.example", 421}, Case{"192.168.1.20:8080", 421}}) {
    SCOPED_TRACE(c.host);
    const httplib::Result result = m_client->Get("/api/state", {{"Host", c.host}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, c.status);
  }
}

TEST_F(PageServerTest, TheLogDownloadSendsTheRunsLogInWholeLinesAndNoOtherFile) {
  const std::string log =
      m_folder.Write("site.log", "2015/03/07-14:05:09.042   -   1,2,\r\n2015/03/07-14:05:09.5");
  m_folder.Write("other.txt", "secret");
  StartRun(log);

  const httplib::Result result = m_client->Get("/log");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  // The line being written is left out.
  EXPECT_EQ(result->body, "2015/03/07-14:05:09.042   -   1,2,\r\n");
  EXPECT_EQ(result->get_header_value("Content-Disposition"),
            "attachment; filename=\"site.log\"; filename*=UTF-8''site.log");

  for (const char* path : {"/log/../other.txt", "/log?file=other.txt", "/log/other.txt", "/../other.txt",
                           "/%2e%2e/other.txt", "/log%2f..%2fother.txt", "/other.txt", "/api/../other.txt",
                           "//etc/passwd", "/log/%2e%2e%2f%2e%2e%2fetc%2fpasswd"}) {
    SCOPED_TRACE(path);
    const httplib::Result other = m_client->Get(path);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->body.find("secret"), std::string::npos);
    EXPECT_EQ(other->body.find("root:"), std::string::npos);
    if (other->status == 200) {
      EXPECT_EQ(other->body, "2015/03/07-14:05:09.042   -   1,2,\r\n");
    }
  }
}

TEST_F(PageServerTest, APortInUseStopsTheStartWithTheAddressAndTheReason) {
  PageSettings settings;
  settings.serve = true;
  settings.port = m_page->port();
  std::string error;
  EXPECT_FALSE(LivePage::Start(settings, error));
  EXPECT_EQ(error, "Cannot serve the page on 127.0.0.1:" + std::to_string(settings.port) +
                       ": address already in use.");
}

TEST_F(PageServerTest, NoLogIsNotFound) {
  EXPECT_EQ(m_client->Get("/log")->status, 404);  // before any run
  StartRun();
  EXPECT_EQ(m_client->Get("/log")->status, 404);  // a run without a log
  const std::string fifo = m_folder.Path("fifo.log");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  StartRun(fifo);
  EXPECT_EQ(m_client->Get("/log")->status, 404);  // never blocks on a FIFO
}

// The stream as a browser reads it: the whole state first, then each record
// as it comes, each message whole.
TEST_F(PageServerTest, TheStreamSendsTheStateThenEveryRecord) {
  StartRun();
  Feed();
  std::mutex mutex;
  std::string received;
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    httplib::Client client("127.0.0.1", m_page->port());
    client.Get("/api/stream", [&](const char* data, size_t length) {
      const std::lock_guard lock(mutex);
      received.append(data, length);
      return !stop;
    });
  });
  const auto has = [&](const std::string& text) {
    const std::lock_guard lock(mutex);
    return received.find(text) != std::string::npos;
  };
  ASSERT_TRUE(WaitUntil([&] { return has("event: state\n"); }, 10'000));
  for (int r = 0; r < 5; ++r) Feed();
  EXPECT_TRUE(WaitUntil([&] { return has("\"sequence\":6,"); }, 10'000));
  stop = true;
  Feed();  // wakes the reader to see it is done
  reader.join();

  size_t records = 0;
  for (size_t at = received.find("event: record\ndata: "); at != std::string::npos;
       at = received.find("event: record\ndata: ", at + 1)) {
    const size_t start = at + std::string("event: record\ndata: ").size();
    const std::optional<JsonValue> record =
        JsonValue::Parse(received.substr(start, received.find("\n\n", start) - start));
    ASSERT_TRUE(record);
    EXPECT_EQ((*record)["sequence"].number(), static_cast<double>(2 + records));
    ++records;
  }
  EXPECT_GE(records, 5u);
}

}  // namespace
