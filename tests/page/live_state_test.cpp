// The page's state without a server: what it keeps of short records, how far
// back its series reach, what a stream that falls behind is sent, and the
// run's own sentences in UTF-8.
#include <gtest/gtest.h>

#include <chrono>

#include "page/live_state.h"
#include "testkit/json_value.h"
#include "testkit/page_fixture.h"

namespace {

JsonValue State(const LiveState& state) {
  const std::optional<JsonValue> json = JsonValue::Parse(state.StateJson());
  EXPECT_TRUE(json);
  return json.value_or(JsonValue{});
}

class LiveStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_config.Load("");
    m_state.StartRun(TestRunStart(m_config, ""));
  }

  LoggerConfig m_config;
  SimulatedRecords m_records{LoggerConfig{}, 5};
  LiveState m_state;
};

// As in the window, a record too short for the layout changes the rows it
// reaches and leaves the others as they were.
TEST_F(LiveStateTest, AShortRecordLeavesTheRowsItDoesNotReach) {
  m_state.TakeRecord(m_records.Next());
  const JsonValue before = State(m_state);
  std::string shortText;
  for (int v = 0; v < 80; ++v) shortText += "7,";
  m_state.TakeRecord(m_records.Make(shortText));
  const JsonValue after = State(m_state);

  const JsonValue& outdoorBefore = before["tabs"][0]["rows"];
  const JsonValue& outdoorAfter = after["tabs"][0]["rows"];
  EXPECT_NE(outdoorAfter[0]["value"].string(), outdoorBefore[0]["value"].string());
  const JsonValue& lastUnitBefore = before["tabs"][4]["rows"];
  const JsonValue& lastUnitAfter = after["tabs"][4]["rows"];
  ASSERT_GT(lastUnitAfter.size(), 0u);
  for (size_t r = 0; r < lastUnitAfter.size(); ++r) {
    EXPECT_EQ(lastUnitAfter[r]["value"].string(), lastUnitBefore[r]["value"].string());
  }
}

TEST_F(LiveStateTest, SeriesReachTenMinutesBackAndBreakAtGaps) {
  // Twenty minutes of records, then a gap of a minute, then one more.
  for (int r = 0; r < 2500; ++r) m_state.TakeRecord(m_records.Next());
  for (int r = 0; r < 125; ++r) m_records.Next();
  m_state.TakeRecord(m_records.Next());

  const JsonValue series = State(m_state)["series"];
  EXPECT_EQ(series["spanMs"].number(), 600'000);
  for (const JsonValue& row : series["rows"].array()) {
    const JsonValue& times = row["t"];
    ASSERT_EQ(times.size(), row["v"].size());
    // At most four points per column of the sparkline, whatever the count.
    EXPECT_LE(times.size(), 4u * kSparklineColumns + 2);
    EXPECT_GE(times[0].number(), -600'000);
    EXPECT_EQ(times[times.size() - 1].number(), 0);
    bool broken = false;
    for (size_t p = 0; p < row["v"].size(); ++p) broken = broken || row["v"][p].isNull();
    EXPECT_TRUE(broken) << "row " << row["row"].number();
  }
}

TEST_F(LiveStateTest, AStreamThatFallsBehindGetsTheWholeStateAgain) {
  m_state.StreamOpened();
  uint64_t version = 0;
  m_state.StateJson(&version);
  m_state.TakeRecord(m_records.Next());
  FeedWait wait = m_state.WaitForChanges(version, std::chrono::milliseconds(0));
  ASSERT_EQ(wait.changes.size(), 2u);  // the banner goes, the record comes
  EXPECT_NE(wait.changes[0]->Message().find("event: link\ndata: {\"banner\":false"), std::string::npos);
  EXPECT_EQ(wait.changes[1]->Message().rfind("event: record\ndata: {\"sequence\":1,", 0), 0u);

  for (size_t r = 0; r < kKeptUpdates; ++r) m_state.TakeRecord(m_records.Next());
  wait = m_state.WaitForChanges(version, std::chrono::milliseconds(0));
  EXPECT_TRUE(wait.tooFarBehind);
  EXPECT_TRUE(wait.changes.empty());

  m_state.Close();
  EXPECT_TRUE(m_state.WaitForChanges(wait.version, std::chrono::hours(1)).closed);
}

TEST_F(LiveStateTest, TheRunsSentencesReachTheApiInUtf8) {
  RunEvent failed;
  failed.kind = RunEventKind::kLogWriteFailed;
  failed.path = "/media/stick/\xB0site.log";
  failed.message = "Disk full while accessing /media/stick/\xB0site.log.";
  m_state.TakeRunEvent(failed);
  RunEvent lost;
  lost.kind = RunEventKind::kLineLost;
  lost.error = EIO;
  m_state.TakeRunEvent(lost);

  const std::optional<JsonValue> events = JsonValue::Parse(m_state.EventsJson());
  ASSERT_TRUE(events);
  const JsonValue& list = (*events)["events"];
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]["kind"].string(), "run-started");
  EXPECT_EQ(list[1]["text"].string(), "Disk full while accessing /media/stick/\xC2\xB0site.log.");
  EXPECT_EQ(list[1]["severity"].string(), "fault");
  EXPECT_EQ(list[2]["text"].string(), "COM9: line lost (input/output error); opening it again every second");
  EXPECT_EQ(State(m_state)["link"]["state"].string(), "lost");
}

}  // namespace
