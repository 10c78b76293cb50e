// Events from the decoding rules: which rows name states, when a change of
// their texts is an event, and the COMMUNICATION ERROR a log's gaps stand
// for; read from logs as plenx-export and the window read them.
#include "decode/change_deriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/logger_config.h"
#include "decode/log_change_reader.h"
#include "decode/log_line.h"
#include "decode/time_stamp.h"
#include "testkit/temp_folder.h"

namespace {

constexpr LocalTime kStart{2015, 3, 7, 14, 5, 9, 42};
constexpr int64_t kRecordIntervalMs = 480;

LoggerConfig DefaultConfig() {
  LoggerConfig config;
  config.Load("");
  return config;
}

// A default-layout record text, every value 0 but those at the positions.
std::string RecordWith(std::initializer_list<std::pair<int, int>> values, int valueCount = 229) {
  std::vector<int> record(static_cast<size_t>(valueCount), 0);
  for (const auto& [position, value] : values) record[static_cast<size_t>(position)] = value;
  std::string text;
  for (const int value : record) text += std::to_string(value) + ",";
  return text;
}

std::string LineAt(int64_t offsetMs, const std::string& record) {
  return FormatLogLine(WallClockTime(WallClockMs(kStart) + offsetMs), record);
}

std::vector<ChangeEvent> EventsOfLog(const LoggerConfig& config, const std::string& log,
                                     uint64_t* skipped = nullptr) {
  LogChangeReader reader(config);
  std::vector<ChangeEvent> events;
  reader.Feed(log, events);
  reader.Finish(events);
  if (skipped != nullptr) *skipped = reader.SkippedCount();
  return events;
}

// "tab/parameter: before -> after (severity)", or "line: ..." for the line's.
std::string Describe(const ChangeEvent& event) {
  return event.tab + "/" + event.parameter + ": " + event.before + " -> " + event.after + " (" +
         SeverityName(event.severity) + ")";
}

// Rule kinds x changes: a value at one position in a first and a second
// record. A change the window shows in a state's text is an event; a change
// of a measured number, a step of the compressor's output, or a value
// outside a table that shows the same text is none; a fault code is told
// apart even where two codes read "Fault".
TEST(ChangeDeriverTest, RuleKindsTimesChanges) {
  const struct {
    const char* name;
    int position;
    int first;
    int second;
    const char* expected;  // "" for no event
  } cases[] = {
      {"CompressorStarts", 3, 0, 2723, "OUTDOOR/Compressor: Stop -> 50 % (state)"},
      {"CompressorStops", 3, 2723, 299, "OUTDOOR/Compressor: 50 % -> Stop (state)"},
      {"CompressorOutputStepIsNoEvent", 3, 2723, 3000, ""},
      {"CompressorNoChange", 3, 2723, 2723, ""},
      {"FanStops", 5, 60, 49, "OUTDOOR/Fan: Running -> Stop (state)"},
      {"FanSpeedIsNoEvent", 5, 60, 700, ""},
      {"OutdoorModeChange", 7, 3, 1, "OUTDOOR/Working Mode: Heat -> Cool (state)"},
      {"OutdoorDryReadsCoolNoEvent", 7, 1, 2, ""},
      {"OutdoorModeOutsideTheTable", 7, 3, 9, "OUTDOOR/Working Mode: Heat -> Off (state)"},
      {"OutdoorModeOutsideSameTextNoEvent", 7, 0, 4, ""},
      {"TemperatureIsNoEvent", 10, 400, 500, ""},
      {"TopShellSensorIsNoEvent", 39, -1, 400, ""},
      {"DefrostStarts", 15, 0, 1, "OUTDOOR/Defrost Status: Off -> Starting (state)"},
      {"DefrostActiveToActiveNoEvent", 15, 2, 3, ""},
      {"DefrostOutsideTheTable", 15, 5, 6, "OUTDOOR/Defrost Status: End -> NA (state)"},
      {"OutdoorFaultRaised", 30, 0, 7,
       "OUTDOOR/Diagnostic Level: NO Fault -> Overcurrent Compressor (fault)"},
      {"OutdoorFaultCleared", 30, 7, 0,
       "OUTDOOR/Diagnostic Level: Overcurrent Compressor -> NO Fault (cleared)"},
      {"OutdoorFaultCodesOfOneText", 30, 20, 21, "OUTDOOR/Diagnostic Level: Fault -> Fault (fault)"},
      {"OutdoorFaultNoChange", 30, 7, 7, ""},
      {"IndoorModeChange", 70, 3, 4, "INDOOR A / HK/Working Mode: Heat -> Fan (state)"},
      {"IndoorModeOutsideTheTable", 110, 4, 5, "INDOOR B/Working Mode: Fan -> Off (state)"},
      {"ValveOpens", 152, 0, 480, "INDOOR C/Expansion Valve: Closed -> Open (state)"},
      {"ValveStepsAreNoEvent", 72, 100, 480, ""},
      {"PlaceholderIsNoEvent", 75, 0, 9, ""},
      {"OptionEnabled", 76, 0, 1, "INDOOR A / HK/I Feel Mode: Disabled -> Enabled (state)"},
      {"OptionSameBitNoEvent", 76, 1, 3, ""},
      {"GenericNumberIsNoEvent", 85, 300, 900, ""},
      {"IndoorFault", 135, 0, 2, "INDOOR B/Diagnostic Level: NO Fault -> Float switch alarm (fault)"},
      {"IndoorFaultCodesOfOneText", 95, 9, 10, "INDOOR A / HK/Diagnostic Level: Fault -> Fault (fault)"},
      {"ZizuModeChange", 190, 0, 3, "ZIZU/Working Mode: Off -> Heat (state)"},
      {"ZizuPlaceholderOverTemperature", 197, 400, 800, ""},
      {"PumpStarts", 206, 4, 5, "ZIZU/Pump status: OFF -> Running (state)"},
      {"ZizuFaultCleared", 215, 2, 0, "ZIZU/Diagnostic Level: Water switch alarm -> NO Fault (cleared)"},
  };
  const LoggerConfig config = DefaultConfig();
  for (const auto& c : cases) {
    const std::string log = LineAt(0, RecordWith({{c.position, c.first}})) +
                            LineAt(kRecordIntervalMs, RecordWith({{c.position, c.second}}));
    const std::vector<ChangeEvent> events = EventsOfLog(config, log);
    if (std::string(c.expected).empty()) {
      EXPECT_TRUE(events.empty()) << c.name << ": " << (events.empty() ? "" : Describe(events[0]));
      continue;
    }
    ASSERT_EQ(events.size(), 1u) << c.name;
    EXPECT_EQ(Describe(events[0]), c.expected) << c.name;
    EXPECT_EQ(events[0].kind, ChangeKind::kValue) << c.name;
    EXPECT_EQ(events[0].record, 2u) << c.name;
    EXPECT_EQ(events[0].timeMs, WallClockMs(kStart) + kRecordIntervalMs) << c.name;
  }
}

// The first record, whatever it holds, has nothing to differ from; nor has a
// row a short record did not reach, which keeps its state for the next.
TEST(ChangeDeriverTest, FirstRecordAndRowsAShortRecordLeaves) {
  const LoggerConfig config = DefaultConfig();
  EXPECT_TRUE(EventsOfLog(config, LineAt(0, RecordWith({{3, 2723}, {7, 3}, {30, 7}, {215, 2}}))).empty());

  ChangeDeriver deriver(WatchedRowsOf(config));
  std::vector<std::string> texts(deriver.Rows().back().row + 1, "x");
  std::vector<double> numbers(texts.size(), 0);
  const size_t lastRow = deriver.Rows().back().row;  // the ZIZU fault
  std::vector<ChangeEvent> events;
  deriver.Feed(kStart, 0, 1, texts, numbers, texts.size(), events);
  texts[lastRow] = "Water switch alarm";
  numbers[lastRow] = 2;
  deriver.Feed(kStart, 1, 2, texts, numbers, lastRow, events);  // short: the row is not filled
  EXPECT_TRUE(events.empty());
  deriver.Feed(kStart, 2, 3, texts, numbers, texts.size(), events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].before, "x");
  EXPECT_EQ(events[0].row, lastRow);

  deriver.Reset();
  events.clear();
  texts[lastRow] = "NO Fault";
  deriver.Feed(kStart, 3, 1, texts, numbers, texts.size(), events);
  EXPECT_TRUE(events.empty());
}

// Which rows name states follows the rules at the positions the configured
// layout puts rows on, not a list of parameters: with 20 values a unit, unit
// 1's parameter 6 lies on position 95, the indoor fault rule's, and is
// labelled from the INI.
TEST(ChangeDeriverTest, TheConfiguredLayoutDecidesTheStateRows) {
  TempFolder folder;
  LoggerConfig config;
  ASSERT_TRUE(config
                  .Load(folder.Write("plenx-logger.ini",
                                     "[CONFIG]\r\nACPARAMS=20\r\n[ACLABELS1]\r\n"
                                     "-=Alarm\r\n"))
                  .empty());
  const std::string log =
      LineAt(0, RecordWith({}, 149)) + LineAt(kRecordIntervalMs, RecordWith({{95, 3}}, 149));
  const std::vector<ChangeEvent> events = EventsOfLog(config, log);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(Describe(events[0]), "INDOOR B/Alarm: NO Fault -> No Communication with outdoor unit (fault)");
}

// A gap of 10 s or more between lines stands for COMMUNICATION ERROR,
// raised at the earlier line + 10 s and cleared at the later line.
TEST(ChangeDeriverTest, GapRule) {
  const struct {
    const char* name;
    int64_t gapMs;
    bool raised;
  } cases[] = {{"JustUnder", 9900, false}, {"Exactly", 10000, true}, {"JustOver", 10100, true}};
  const LoggerConfig config = DefaultConfig();
  const std::string record = RecordWith({});
  for (const auto& c : cases) {
    const std::vector<ChangeEvent> events =
        EventsOfLog(config, LineAt(0, record) + LineAt(500, record) + LineAt(500 + c.gapMs, record));
    if (!c.raised) {
      EXPECT_TRUE(events.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(events.size(), 2u) << c.name;
    const int64_t lastMs = WallClockMs(kStart) + 500;
    EXPECT_EQ(events[0].kind, ChangeKind::kCommunicationError) << c.name;
    EXPECT_EQ(events[0].timeMs, lastMs + 10000) << c.name;
    EXPECT_EQ(events[0].time, WallClockTime(lastMs + 10000)) << c.name;
    EXPECT_EQ(Describe(events[0]), "/Line: Receiving -> COMMUNICATION ERROR (fault)") << c.name;
    EXPECT_EQ(events[1].kind, ChangeKind::kCommunicationBack) << c.name;
    EXPECT_EQ(events[1].timeMs, lastMs + c.gapMs) << c.name;
    EXPECT_EQ(events[1].record, 3u) << c.name;
    EXPECT_EQ(Describe(events[1]), "/Line: COMMUNICATION ERROR -> Receiving (cleared)") << c.name;
  }
  // A clock set back an hour is no gap.
  EXPECT_TRUE(EventsOfLog(config, LineAt(3'600'000, record) + LineAt(0, record)).empty());
}

// Lines that are no records of the layout are skipped and counted, never
// an event and never a crash; the state carries across them, and a last
// line cut short without its line end is skipped too.
TEST(ChangeDeriverTest, MalformedAndTruncatedLinesAreSkippedAndCounted) {
  const LoggerConfig config = DefaultConfig();
  const std::string mode3 = RecordWith({{7, 3}});
  const std::string mode1 = RecordWith({{7, 1}});
  const std::string log = LineAt(0, mode3) + "a note typed into the log\r\n" +
                          LineAt(480, mode1).substr(0, 300) + "\r\n" +  // cut short by a full disk
                          std::string("\x00\xff\x01garbage", 10) + "\n" +
                          LineAt(960, RecordWith({{7, 1}}, 189)) + LineAt(1440, mode1) +
                          LineAt(1920, mode3).substr(0, 100);
  LogChangeReader reader(config);
  std::vector<ChangeEvent> events;
  // In pieces of 7 bytes, so lines span pieces.
  for (size_t at = 0; at < log.size(); at += 7) reader.Feed(std::string_view(log).substr(at, 7), events);
  reader.Finish(events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(Describe(events[0]), "OUTDOOR/Working Mode: Heat -> Cool (state)");
  EXPECT_EQ(events[0].record, 2u);
  EXPECT_EQ(reader.RecordCount(), 2u);
  EXPECT_EQ(reader.LineCount(), 7u);
  EXPECT_EQ(reader.SkippedCount(), 5u);
  ASSERT_EQ(reader.NotedSkips().size(), 5u);
  EXPECT_EQ(reader.NotedSkips()[0].lineNumber, 2u);
  EXPECT_EQ(reader.NotedSkips()[3].reason, "the record holds 189 values; the layout 69,4,40 has 229");
  EXPECT_EQ(reader.NotedSkips()[4].lineNumber, 7u);
}

}  // namespace
