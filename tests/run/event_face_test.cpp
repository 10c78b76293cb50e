// The events face of a run: the same events live as from the run's log, for
// every scenario of the simulator; and the run's own events, from Start to
// Stop, with the banner of Start and the watchdog.
#include "run/event_face.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "decode/log_change_reader.h"
#include "decode/log_line.h"
#include "decode/record_decoder.h"
#include "decode/time_stamp.h"
#include "platform/system_error_text.h"
#include "testkit/run_records.h"
#include "testkit/simulated_log.h"
#include "testkit/temp_folder.h"
#include "tools/plenx-board-sim/scenario.h"

namespace {

constexpr LocalTime kStart{2026, 12, 10, 15, 7, 15, 294};
constexpr double kRecordSeconds = kSimulatedRecordIntervalMs / 1000.0;

LoggerConfig DefaultConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

RunStart RunStartAt(const std::shared_ptr<const RunLayout>& layout, int64_t timeMs) {
  RunStart start;
  start.layout = layout;
  start.timeMs = timeMs;
  start.time = WallClockTime(timeMs);
  start.portName = "COM9";
  start.devicePath = "/dev/pts/3";
  return start;
}

RunEnd RunEndAt(int64_t timeMs, uint64_t records) {
  RunEnd end;
  end.timeMs = timeMs;
  end.time = WallClockTime(timeMs);
  end.records = records;
  return end;
}

RunEvent RunEventAt(RunEventKind kind, int64_t timeMs, int error = 0) {
  RunEvent event;
  event.kind = kind;
  event.timeMs = timeMs;
  event.time = WallClockTime(timeMs);
  event.error = error;
  return event;
}

std::string Describe(const ChangeEvent& event) {
  return event.tab + "/" + event.parameter + ": " + event.before + " -> " + event.after + " (" +
         SeverityName(event.severity) + ")";
}

bool Has(const std::vector<ChangeEvent>& events, const std::string& description) {
  return std::any_of(events.begin(), events.end(),
                     [&](const ChangeEvent& event) { return Describe(event) == description; });
}

// What a log can tell: the state changes and the line's COMMUNICATION ERROR,
// not the run's start and end nor the port's state.
bool LogCanTell(const ChangeEvent& event) {
  return event.kind == ChangeKind::kValue || event.kind == ChangeKind::kCommunicationError ||
         event.kind == ChangeKind::kCommunicationBack;
}

// A run of three and a half minutes on a simulated board following the
// scenario, records every 480 ms, with 12 s of silence in which the port is
// lost and back: fed to the face as the run would, and written as the log
// those records make. The face's events that a log can tell equal the log
// reader's, time stamps, texts and record numbers included.
// The live face watches the rows a log's reader watches: the run's layout
// names the same rows, tabs and labels as the configuration, for the
// built-in layout and for one an INI reshapes.
TEST(EventFaceTest, TheRunsLayoutWatchesTheRowsTheConfigurationDoes) {
  TempFolder folder;
  LoggerConfig reshaped;
  ASSERT_TRUE(reshaped
                  .Load(folder.Write("plenx-logger.ini",
                                     "[CONFIG]\r\nACPARAMS=20\r\nNUMDEVICES=2\r\n"
                                     "[ACLABELS1]\r\n-=Alarm\r\n"))
                  .empty());
  for (const LoggerConfig& config : {DefaultConfig(), reshaped}) {
    const std::vector<WatchedRow> live = WatchedRowsOf(MakeRunLayout(config));
    const std::vector<WatchedRow> fromLog = WatchedRowsOf(config);
    ASSERT_EQ(live.size(), fromLog.size());
    ASSERT_FALSE(live.empty());
    for (size_t i = 0; i < live.size(); ++i) {
      EXPECT_EQ(live[i].row, fromLog[i].row);
      EXPECT_EQ(live[i].kind, fromLog[i].kind);
      EXPECT_EQ(live[i].listIndex, fromLog[i].listIndex);
      EXPECT_EQ(live[i].tab, fromLog[i].tab);
      EXPECT_EQ(live[i].label, fromLog[i].label) << live[i].tab;
    }
  }
}

TEST(EventFaceTest, LiveEqualsFromLogForEveryScenario) {
  const struct {
    Scenario scenario;
    std::vector<std::string> expected;
  } cases[] = {
      {Scenario::kDefrost,
       {"OUTDOOR/Defrost Status: Off -> Starting (state)",
        "OUTDOOR/Defrost Status: Starting -> Active (state)",
        "OUTDOOR/Defrost Status: Active -> Stopping (state)",
        "OUTDOOR/Defrost Status: Stopping -> End (state)", "OUTDOOR/Defrost Status: End -> Off (state)",
        "OUTDOOR/Fan: Running -> Stop (state)", "OUTDOOR/Fan: Stop -> Running (state)"}},
      {Scenario::kModeChange,
       {"INDOOR A / HK/Working Mode: Heat -> Cool (state)", "ZIZU/Working Mode: Heat -> Cool (state)",
        "OUTDOOR/Working Mode: Heat -> Off (state)", "OUTDOOR/Working Mode: Off -> Cool (state)",
        "OUTDOOR/Compressor: 14 % -> Stop (state)", "INDOOR C/Working Mode: Cool -> Heat (state)",
        "OUTDOOR/Working Mode: Off -> Heat (state)"}},
      {Scenario::kCompressorTrip,
       {"OUTDOOR/Diagnostic Level: NO Fault -> Overcurrent Compressor (fault)",
        "OUTDOOR/Diagnostic Level: Overcurrent Compressor -> NO Fault (cleared)",
        "INDOOR B/Diagnostic Level: NO Fault -> Error detected on outdoor unit (fault)",
        "ZIZU/Diagnostic Level: Error detected on outdoor unit -> NO Fault (cleared)",
        "OUTDOOR/Working Mode: Heat -> Off (state)", "OUTDOOR/Working Mode: Off -> Heat (state)",
        "OUTDOOR/Compressor: Stop -> 13 % (state)"}},
  };
  const LoggerConfig config = DefaultConfig();
  const std::shared_ptr<const RunLayout> layout = RunLayoutOf(config);
  constexpr int kRecords = 440;
  constexpr int kSilenceFrom = 300;  // records 300 to 325 never come
  constexpr int kSilenceTo = 326;
  for (const auto& c : cases) {
    EventFace face;
    std::vector<ChangeEvent> live;
    face.AddListener([&live](const ChangeEvent& event, const std::shared_ptr<const RunRecord>&) {
      live.push_back(event);
    });
    BoardModel model{RecordLayout{}, 11};
    ScenarioScript script(c.scenario, model);
    RecordDecoder decoder(config.ShownLayout());
    const int64_t startMs = WallClockMs(kStart);
    face.OnRunStarted(RunStartAt(layout, startMs - 300));
    face.OnRunEvent(RunEventAt(RunEventKind::kLineQuiet, startMs - 300));  // the banner of Start
    std::string log;
    uint64_t sequence = 0;
    int64_t lastMs = 0;
    for (int r = 0; r < kRecords; ++r) {
      script.Advance(kRecordSeconds);
      const int64_t timeMs = startMs + int64_t{r} * kSimulatedRecordIntervalMs;
      if (r >= kSilenceFrom && r < kSilenceTo) {
        if (r == kSilenceFrom) face.OnRunEvent(RunEventAt(RunEventKind::kLineLost, timeMs));
        if (r == kSilenceFrom + 22) face.OnRunEvent(RunEventAt(RunEventKind::kLineQuiet, lastMs + 10000));
        if (r == kSilenceTo - 1) face.OnRunEvent(RunEventAt(RunEventKind::kLineBack, timeMs));
        continue;
      }
      const std::string text = SimulatedRecordText(model);
      log += FormatLogLine(WallClockTime(timeMs), text);
      face.OnRecord(RunRecordOf(decoder, ++sequence, timeMs, text));
      lastMs = timeMs;
    }
    face.OnRunEnded(RunEndAt(lastMs + 2500, sequence));

    LogChangeReader reader(config);
    std::vector<ChangeEvent> fromLog;
    reader.Feed(log, fromLog);
    reader.Finish(fromLog);
    std::vector<ChangeEvent> liveOfLog;
    std::copy_if(live.begin(), live.end(), std::back_inserter(liveOfLog), LogCanTell);
    EXPECT_EQ(liveOfLog, fromLog) << static_cast<int>(c.scenario);
    for (const std::string& expected : c.expected) {
      EXPECT_TRUE(Has(fromLog, expected)) << expected;
    }
    EXPECT_TRUE(Has(fromLog, "/Line: Receiving -> COMMUNICATION ERROR (fault)"));
    EXPECT_EQ(live.front().kind, ChangeKind::kRunStarted);
    EXPECT_EQ(live.back().kind, ChangeKind::kRunStopped);
  }
}

// The run's own events. The banner of Start is no error until 10 s pass
// without a record; a line dead from the start is raised at Start + 10 s,
// found by the first record or by Stop; the watchdog's firing is raised at
// its time; a port lost names its reason; a replay is told apart and judged
// by its recorded gaps; and each run starts afresh, so its first record is
// no change.
TEST(EventFaceTest, TheRunsOwnEvents) {
  const LoggerConfig config = DefaultConfig();
  const std::shared_ptr<const RunLayout> layout = RunLayoutOf(config);
  RecordDecoder decoder(config.ShownLayout());
  const auto recordWithMode = [](int mode) {
    std::string text;
    for (int i = 0; i < 229; ++i) text += (i == 7 ? std::to_string(mode) : "0") + ",";
    return text;
  };
  EventFace face;
  std::vector<std::string> seen;
  // Each event comes with the record it came with, none between records.
  face.AddListener([&seen](const ChangeEvent& event, const std::shared_ptr<const RunRecord>& record) {
    EXPECT_EQ(record ? record->sequence : 0, event.record) << Describe(event);
    seen.push_back(std::to_string(event.timeMs) + " " + Describe(event));
  });

  face.OnRunStarted(RunStartAt(layout, 0));
  face.OnRunEvent(RunEventAt(RunEventKind::kLineQuiet, 0));
  face.OnRunEvent(RunEventAt(RunEventKind::kLineQuiet, 9000));  // still the banner of Start
  face.OnRecord(RunRecordOf(decoder, 1, 12000, recordWithMode(3)));
  face.OnRecord(RunRecordOf(decoder, 2, 12480, recordWithMode(1)));
  face.OnRunEvent(RunEventAt(RunEventKind::kLineQuiet, 22480));
  face.OnRunEvent(RunEventAt(RunEventKind::kLineLost, 23000, EIO));
  face.OnRunEvent(RunEventAt(RunEventKind::kLineBack, 24000));
  face.OnRunEvent(RunEventAt(RunEventKind::kLogWriteFailed, 24500));
  face.OnRecord(RunRecordOf(decoder, 3, 25000, recordWithMode(1)));
  face.OnRunEnded(RunEndAt(26000, 3));

  RunStart replay = RunStartAt(layout, 100000);
  replay.replay = true;
  replay.portName.clear();
  face.OnRunStarted(replay);
  // A replay's records carry their logged times, long before its start and
  // end: only the recorded gap raises the line's error, not the watchdog
  // at the present's time nor the end.
  face.OnRecord(RunRecordOf(decoder, 1, 40000, recordWithMode(3)));  // differs from the last run's
  face.OnRunEvent(RunEventAt(RunEventKind::kLineQuiet, 100200));
  face.OnRecord(RunRecordOf(decoder, 2, 55000, recordWithMode(3)));
  face.OnRunEnded(RunEndAt(115000, 2));

  const std::vector<std::string> expected = {
      "0 /Run: Stopped -> Started (state)",
      "10000 /Line: Receiving -> COMMUNICATION ERROR (fault)",
      "12000 /Line: COMMUNICATION ERROR -> Receiving (cleared)",
      "12480 OUTDOOR/Working Mode: Heat -> Cool (state)",
      "22480 /Line: Receiving -> COMMUNICATION ERROR (fault)",
      // "input/output error" on Linux; the system's own words elsewhere.
      "23000 /COM9: Open -> Lost (" + SystemErrorText(EIO) + ") (fault)",
      "24000 /COM9: Lost -> Open (cleared)",
      "25000 /Line: COMMUNICATION ERROR -> Receiving (cleared)",
      "26000 /Run: Started -> Stopped (state)",
      "100000 /Replay: Stopped -> Started (state)",
      "50000 /Line: Receiving -> COMMUNICATION ERROR (fault)",
      "55000 /Line: COMMUNICATION ERROR -> Receiving (cleared)",
      "115000 /Replay: Started -> Stopped (state)",
  };
  EXPECT_EQ(seen, expected);
}

}  // namespace
