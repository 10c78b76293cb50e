// Unattended runs of plenx-logger end to end: frames on a pseudo-terminal
// mapped as a COM port reach the log and the views, the remembered
// settings change only with a run, and every way a run ends stops it as
// Stop does, archive included.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/log_archive_name.h"
#include "config/logger_config.h"
#include "config/persisted_settings.h"
#include "config/text_encoding.h"
#include "decode/log_line.h"
#include "decode/record_view.h"
#include "decode/shown_params.h"
#include "decode/unit_tabs.h"
#include "link/frame_encoder.h"
#include "platform/local_time.h"
#include "testkit/child_exit.h"
#include "testkit/run_command.h"
#include "tests/e2e/board_sim.h"
#include "tests/e2e/logger_process.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultValueCount = 69 + 4 * 40;

// The values of test frame `index`: distinct per frame, negatives included.
std::vector<int16_t> FrameValues(int index, int count = kDefaultValueCount) {
  std::vector<int16_t> values(static_cast<size_t>(count));
  for (int k = 0; k < count; ++k)
    values[static_cast<size_t>(k)] = static_cast<int16_t>((index * 37 + k * 11) % 3000 - 500);
  return values;
}

std::string RecordOf(const std::vector<int16_t>& values) {
  std::string text;
  for (int16_t value : values) text += std::to_string(value) + ",";
  return text;
}

// The record texts of a log, in order; a line that is not a log line fails
// the test.
std::vector<std::string> LoggedRecords(const std::string& logPath) {
  std::vector<std::string> records;
  for (const std::string& line : Lines(ReadFileBytes(logPath))) {
    LogLine parsed;
    std::string reason;
    EXPECT_TRUE(ParseLogLine(line, parsed, reason)) << reason << ": " << line;
    records.emplace_back(parsed.record);
  }
  return records;
}

size_t LineCount(const std::string& path) { return Lines(ReadFileBytes(path)).size(); }

bool WaitForLogLines(const std::string& logPath, size_t count) {
  return WaitUntil([&] { return LineCount(logPath) >= count; }, kProgramTimeoutMs);
}

// The "banner: ..." lines of the views printed so far.
std::vector<std::string> BannerLines(const LoggerProcess& logger) {
  std::vector<std::string> banners;
  for (const std::string& line : Lines(logger.Out()))
    if (line.starts_with("banner: ")) banners.push_back(line);
  return banners;
}

std::string Utf8(const std::string& windows1252) {
  std::string text;
  AppendWindows1252AsUtf8(windows1252, text);
  return text;
}

// The views as the window must show them after `record` under `config`:
// list L on tab L, one row per shown parameter with its label and Value
// text, in UTF-8.
std::string ExpectedViews(const LoggerConfig& config, const std::string& record, bool bannerShown) {
  std::string text = bannerShown ? "banner: shown\n" : "banner: hidden\n";
  const std::vector<std::string> tabs = UnitTabTexts(config.ShownUnitCount());
  const std::vector<std::vector<ShownRow>> lists = ListRows(config.ShownLayout());
  const RecordTexts values = DecodeRecord(config.Layout(), record);
  for (size_t tab = 0; tab < tabs.size(); ++tab) {
    text += "[" + Utf8(tabs[tab]) + "]\n";
    if (tab >= lists.size()) continue;
    const std::vector<std::string>& labels = tab == 0 ? config.statusLabels : config.acLabels[tab - 1];
    for (size_t row = 0; row < lists[tab].size(); ++row) {
      text += Utf8(labels[static_cast<size_t>(lists[tab][row].param)]) + "\t" +
              Utf8(values.listTexts[tab][row]) + "\n";
    }
  }
  return text;
}

TEST(UnattendedRunTest, EveryValidFrameIsLoggedOnceInOrderAndNoCorruptedOne) {
  ProgramFolder folder;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  folder.MapPort("COM5", line.SlavePath());
  LoggerProcess logger(folder, {"--headless", "--port", "COM5", "--log", "site.log"});
  ASSERT_TRUE(logger.WaitForRun()) << logger.Err();

  constexpr int kFrames = 40;
  std::vector<std::string> expected;
  std::vector<uint8_t> stream;
  for (int i = 0; i < kFrames; ++i) {
    const std::vector<int16_t> values = FrameValues(i);
    AppendFrame(stream, i % 5, values);
    expected.push_back(RecordOf(values));
    // After each valid frame a corrupted one. No digit is ever 0xFF, so a
    // changed digit never turns into a start byte.
    std::vector<uint8_t> bad = EncodeFrame(0, FrameValues(1000 + i));
    switch (i % 4) {
      case 0:  // the checksum's low digit
        bad.back() = static_cast<uint8_t>((bad.back() + 1) % 255);
        break;
      case 1:  // a type byte past unit 4
        bad[1] = 0xF5;
        break;
      case 2:  // a value digit, the checksum left as it was
        bad[5] = static_cast<uint8_t>((bad[5] + 1) % 255);
        break;
      default:  // line noise without a start byte
        bad = {0x00, 0x41, 0xFE, 0x7F, 0xF0};
        break;
    }
    stream.insert(stream.end(), bad.begin(), bad.end());
  }
  ASSERT_TRUE(line.Write(stream));
  const std::string log = folder.Files().Path("site.log");
  EXPECT_TRUE(WaitForLogLines(log, kFrames));
  logger.Signal(SIGTERM);
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
  EXPECT_EQ(LoggedRecords(log), expected);
}

TEST(UnattendedRunTest, LogEveryThreeLogsTheLastTwoOfEveryThree) {
  ProgramFolder folder;
  folder.WriteConfig("[CONFIG]\nLOGEVERY=3\n");
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  folder.MapPort("COM5", line.SlavePath());
  const std::string log = folder.Files().Path("site.log");
  LoggerProcess logger(folder, {"--headless", "--port", "com5", "--log", log});
  ASSERT_TRUE(logger.WaitForRun()) << logger.Err();
  std::vector<uint8_t> stream;
  std::vector<std::string> expected;
  for (int i = 0; i < 9; ++i) {
    AppendFrame(stream, 0, FrameValues(i));
    if (i % 3 != 0) expected.push_back(RecordOf(FrameValues(i)));
  }
  ASSERT_TRUE(line.Write(stream));
  // The ninth frame is logged, so all nine have been handled by then.
  EXPECT_TRUE(WaitForLogLines(log, expected.size()));
  logger.Signal(SIGINT);
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
  EXPECT_EQ(LoggedRecords(log), expected);
}

// The remembered port and log file change only when a run starts; a run
// that does not start leaves its log file as it was and exits with 1.
TEST(UnattendedRunTest, OnlyAStartThatSucceedsStoresTheSettings) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    bool logExists;
    int exitStatus;
    std::string message;  // a line on standard error
  };
  const std::string kept = "2015/03/07-14:05:09.042   -   1,2,3,\r\n";
  const Case cases[] = {
      {"PortThatCannotOpen",
       {"--port", "COM7", "--log", "site.log"},
       false,
       1,
       "Plenx Logger: Error opening COM port"},
      {"ExistingLogWithoutAppend",
       {"--port", "COM5", "--log", "site.log"},
       true,
       1,
       "TESSAM  PLENX LOGGER - Request: File <log> exists.\nWould you like to append data to the existing "
       "file?\n"},
      {"LogInAMissingFolder",
       {"--port", "COM5", "--log", "missing/site.log"},
       false,
       1,
       "plenx-logger: cannot log to <folder>/missing/site.log: its folder does not exist\n"},
      {"ExistingLogWithAppend",
       {"--port", "COM5", "--log", "site.log", "--append"},
       true,
       0,
       ": run started on COM5, logging to <log>\n"},
      {"NewLog",
       {"--port", "COM5", "--log", "site.log"},
       false,
       0,
       ": run started on COM5, logging to <log>\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder;
    PtyLine line;
    ASSERT_TRUE(line.Valid());
    folder.MapPort("COM5", line.SlavePath());
    folder.MapPort("COM7", folder.Files().Path("no-such-device"));
    const std::string earlierLog = folder.Files().Path("earlier.log");
    WritePortSetting("COM3");
    WriteLogFileSetting(earlierLog);
    const std::string log = folder.Files().Path("site.log");
    if (c.logExists) folder.Files().Write("site.log", kept);

    std::vector<std::string> arguments = {"--headless"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    LoggerProcess logger(folder, arguments);
    std::string message = c.message;
    for (const auto& [name, path] :
         {std::pair<std::string, std::string>{"<log>", log}, {"<folder>", folder.Files().path()}})
      if (const size_t at = message.find(name); at != std::string::npos)
        message.replace(at, name.size(), path);
    EXPECT_TRUE(logger.WaitForErr(message)) << logger.Err();
    if (c.exitStatus == 0) {
      // One record, added after what the file held.
      ASSERT_TRUE(line.Write(EncodeFrame(0, FrameValues(1))));
      EXPECT_TRUE(WaitForLogLines(log, c.logExists ? 2 : 1));
      logger.Signal(SIGTERM);
    }
    EXPECT_EQ(logger.WaitExit(), c.exitStatus) << logger.Err();
    const bool ran = c.exitStatus == 0;
    EXPECT_EQ(ReadPortSetting(), ran ? "COM5" : "COM3");
    EXPECT_EQ(ReadLogFileSetting(), ran ? log : earlierLog);
    if (c.logExists) {
      EXPECT_TRUE(ReadFileBytes(log).starts_with(kept));
      if (!ran) {
        EXPECT_EQ(ReadFileBytes(log), kept);
      }
    }
    // Views are printed only after a run.
    EXPECT_EQ(logger.Out().starts_with("banner: "), ran);
    // The question is written only when nobody answered it beforehand.
    const bool appendGiven = std::find(arguments.begin(), arguments.end(), "--append") != arguments.end();
    EXPECT_EQ(logger.Err().find("Would you like to append") != std::string::npos, c.logExists && !appendGiven)
        << logger.Err();
  }
}

// An unattended run needs no display, whatever Qt's platform is set to:
// standard error holds the run's notes and nothing else.
TEST(UnattendedRunTest, RunsWithoutADisplay) {
  ProgramFolder folder;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  folder.MapPort("COM5", line.SlavePath());
  const ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
  const ScopedEnv display("DISPLAY", nullptr);
  const ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  LoggerProcess logger(folder, {"--headless", "--port", "COM5", "--log", "site.log", "--seconds", "0.5"});
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
  const std::optional<LogArchiveName> archive =
      LogArchiveNameFor(folder.Files().Path("site.log"), ReadLocalTime());
  ASSERT_TRUE(archive);
  EXPECT_EQ(logger.Err(), "plenx-logger: run started on COM5, logging to " + folder.Files().Path("site.log") +
                              "\nplenx-logger: run ended: 0 records, all logged, archived in " +
                              archive->archivePath + "\n");
  EXPECT_TRUE(logger.Out().starts_with("banner: shown\n[OUTDOOR]\n")) << logger.Out();
}

TEST(UnattendedRunTest, BannerShowsBeforeTheFirstRecordAndAfterTenSecondsOfSilence) {
  ProgramFolder folder;
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  folder.MapPort("COM5", line.SlavePath());
  LoggerProcess logger(folder, {"--headless", "--port", "COM5", "--log", "site.log", "--dump-every", "0.25"});
  ASSERT_TRUE(logger.WaitForRun()) << logger.Err();
  ASSERT_TRUE(WaitUntil([&] { return !BannerLines(logger).empty(); }, kProgramTimeoutMs));
  EXPECT_EQ(BannerLines(logger)[0], "banner: shown");

  const Clock::time_point lastRecord = Clock::now();
  ASSERT_TRUE(line.Write(EncodeFrame(0, FrameValues(1))));
  size_t hidden = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<std::string> banners = BannerLines(logger);
        for (hidden = 0; hidden < banners.size() && banners[hidden] != "banner: hidden"; ++hidden) {
        }
        return hidden < banners.size();
      },
      kProgramTimeoutMs));
  // Nothing more arrives: the banner comes back once 10 s have passed.
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<std::string> banners = BannerLines(logger);
        return banners.size() > hidden + 1 && banners.back() == "banner: shown";
      },
      kProgramTimeoutMs));
  EXPECT_GE(Clock::now() - lastRecord, std::chrono::seconds(10));
  logger.Signal(SIGTERM);
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
  EXPECT_EQ(BannerLines(logger).back(), "banner: shown");  // the state just before Stop
}

// Each way a run can end clicks Stop: the log is closed, the dated archive
// holds it as its single entry, and the views are printed once.
TEST(UnattendedRunTest, SignalsAndTheTimeLimitEndTheRunAsStopDoes) {
  struct Case {
    const char* name;
    int signalNumber;  // 0: the run ends by --seconds
  };
  const Case cases[] = {{"Terminate", SIGTERM}, {"Interrupt", SIGINT}, {"HangUp", SIGHUP}, {"Seconds", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder;
    BoardSim board(folder.Files());
    const std::string device = board.Device();
    ASSERT_FALSE(device.empty());
    folder.MapPort("COM9", device);
    std::vector<std::string> arguments = {"--headless", "--port", "COM9", "--log", "site.log"};
    if (c.signalNumber == 0) arguments.insert(arguments.end(), {"--seconds", "3"});
    LoggerProcess logger(folder, arguments);
    ASSERT_TRUE(logger.WaitForRun()) << logger.Err();
    const std::string log = folder.Files().Path("site.log");
    EXPECT_TRUE(WaitForLogLines(log, 2));
    if (c.signalNumber != 0) logger.Signal(c.signalNumber);
    EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();

    const std::vector<std::string> blocks = ViewBlocks(logger.Out());
    ASSERT_EQ(blocks.size(), 1u) << logger.Out();
    EXPECT_TRUE(blocks[0].starts_with("banner: hidden\n[OUTDOOR]\nCompressor\t")) << blocks[0];
    EXPECT_NE(blocks[0].find("\n[ZIZU]\n"), std::string::npos);
    EXPECT_FALSE(LoggedRecords(log).empty());
    const std::optional<LogArchiveName> archive = LogArchiveNameFor(log, ReadLocalTime());
    ASSERT_TRUE(archive);
    EXPECT_EQ(RunCommand("unzip -Z1 '" + archive->archivePath + "'").output, "site.log\n");
    const CommandResult entry = RunCommand("unzip -p '" + archive->archivePath + "' site.log");
    EXPECT_EQ(entry.exitCode, 0);
    EXPECT_EQ(entry.output, ReadFileBytes(log));
  }
}

// What the run prints at its end is what the lists show after the last
// record: with twelve units configured the first ten are shown (tabs
// OUTDOOR to ZIZU) while every record is logged whole, and labels read
// from the configuration come out in UTF-8.
TEST(UnattendedRunTest, ViewsAfterTheRunAreTheListTexts) {
  ProgramFolder folder;
  const std::string ini =
      "[CONFIG]\nNUMDEVICES=12\n[STATUSLABELS]\nOutdoor Air Temperature [\xC2\xB0"
      "F]=Outside air [\xC2\xB0"
      "F]\n";
  folder.WriteConfig(ini);
  PtyLine line;
  ASSERT_TRUE(line.Valid());
  folder.MapPort("COM5", line.SlavePath());
  const std::string log = folder.Files().Path("site.log");
  LoggerProcess logger(folder, {"--headless", "--port", "COM5", "--log", log});
  ASSERT_TRUE(logger.WaitForRun()) << logger.Err();
  const int valueCount = 69 + 12 * 40;
  std::vector<uint8_t> stream;
  for (int i = 0; i < 5; ++i) AppendFrame(stream, 0, FrameValues(i, valueCount));
  ASSERT_TRUE(line.Write(stream));
  EXPECT_TRUE(WaitForLogLines(log, 5));
  logger.Signal(SIGTERM);
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();

  const std::vector<std::string> records = LoggedRecords(log);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records.back(), RecordOf(FrameValues(4, valueCount)));
  LoggerConfig config;
  config.Load(folder.Files().Write("expected.ini", ini));
  const std::string expected = ExpectedViews(config, records.back(), false);
  EXPECT_EQ(logger.Out(), expected);
  EXPECT_NE(expected.find("\n[ZIZU]\n"), std::string::npos);
  EXPECT_NE(expected.find("\nOutside air [\xC2\xB0"
                          "F]\t"),
            std::string::npos);
}

}  // namespace
