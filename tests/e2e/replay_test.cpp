// A log replayed with plenx-logger --headless --replay: the views after the
// last record are those the live run that wrote the log showed, and
// plenx-export's row of that record holds the same texts; lines that are
// not records of the layout are skipped and reported once.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link/frame_encoder.h"
#include "testkit/pty_line.h"
#include "testkit/run_command.h"
#include "tests/e2e/logger_process.h"
#include "tests/support/csv_reader.h"

namespace {

constexpr int kValueCount = 69 + 4 * 40;
// A label with a comma and a quote, so the CSV must quote it.
constexpr std::string_view kConfig =
    "[STATUSLABELS]\r\nCompressor=Compressor, \"main\"\r\n[ACLABELS3]\r\n-=Spare\r\n";

std::vector<int16_t> FrameValues(int index) {
  std::vector<int16_t> values(kValueCount);
  for (int k = 0; k < kValueCount; ++k)
    values[static_cast<size_t>(k)] = static_cast<int16_t>((index * 53 + k * 7) % 2000 - 300);
  return values;
}

// The views without their banner line.
std::string Tabs(const std::string& views) {
  const size_t lineEnd = views.find('\n');
  EXPECT_TRUE(views.starts_with("banner: ")) << views;
  return lineEnd == std::string::npos ? views : views.substr(lineEnd + 1);
}

// Logs `frames` frames in a headless run and returns the views it printed.
std::string LogFrames(const ProgramFolder& folder, int frames) {
  PtyLine line;
  EXPECT_TRUE(line.Valid());
  folder.MapPort("COM5", line.SlavePath());
  LoggerProcess logger(folder, {"--headless", "--port", "COM5", "--log", "site.log"}, "live");
  EXPECT_TRUE(logger.WaitForRun()) << logger.Err();
  std::vector<uint8_t> stream;
  for (int i = 0; i < frames; ++i) AppendFrame(stream, i % 5, FrameValues(i));
  EXPECT_TRUE(line.Write(stream));
  const std::string log = folder.Files().Path("site.log");
  EXPECT_TRUE(WaitUntil([&] { return Lines(ReadFileBytes(log)).size() >= static_cast<size_t>(frames); },
                        kProgramTimeoutMs));
  logger.Signal(SIGTERM);
  EXPECT_EQ(logger.WaitExit(), 0) << logger.Err();
  return logger.Out();
}

std::string Replay(const ProgramFolder& folder, const std::string& log, const std::string& name,
                   std::string* errors = nullptr) {
  LoggerProcess replay(folder, {"--headless", "--replay", log, "--speed", "0"}, name);
  EXPECT_EQ(replay.WaitExit(), 0) << replay.Err();
  if (errors != nullptr) *errors = replay.Err();
  return replay.Out();
}

TEST(ReplayTest, ReplayShowsWhatTheLiveRunShowedAndTheExportHoldsTheSameTexts) {
  ProgramFolder folder;
  folder.WriteConfig(kConfig);
  const std::string live = LogFrames(folder, 6);
  const std::string log = folder.Files().Path("site.log");
  const std::string logBefore = ReadFileBytes(log);

  const std::string replayed = Replay(folder, log, "replay");
  EXPECT_TRUE(replayed.starts_with("banner: hidden\n")) << replayed;
  EXPECT_EQ(Tabs(replayed), Tabs(live));
  // Nothing written: the log is as the live run left it.
  EXPECT_EQ(ReadFileBytes(log), logBefore);

  const CommandResult exported = RunCommand(std::string(PLENX_BIN_DIR) + "/plenx-export --ini '" +
                                            folder.Files().Path("plenx-logger.ini") + "' '" + log + "'");
  ASSERT_EQ(exported.exitCode, 0);
  const std::vector<CsvRow> table = ReadCsv(exported.output);
  ASSERT_EQ(table.size(), 7u);
  // Row for row: "[tab]" starts a tab, then "<parameter>\t<value>" lines,
  // each the next column "<tab>/<parameter>" with the last record's value.
  size_t column = 1;
  std::string tab;
  for (const std::string& line : Lines(Tabs(replayed))) {
    if (line.starts_with("[")) {
      tab = line.substr(1, line.size() - 2);
      continue;
    }
    const size_t separator = line.find('\t');
    ASSERT_NE(separator, std::string::npos) << line;
    ASSERT_LT(column, table[0].size());
    EXPECT_EQ(table[0][column], tab + "/" + line.substr(0, separator));
    EXPECT_EQ(table.back()[column], line.substr(separator + 1)) << table[0][column];
    ++column;
  }
  EXPECT_EQ(column, table[0].size());
  EXPECT_NE(replayed.find("Compressor, \"main\"\t"), std::string::npos);
}

TEST(ReplayTest, LinesThatAreNotRecordsOfTheLayoutAreSkippedAndReportedOnce) {
  ProgramFolder folder;
  std::string good;
  for (int i = 0; i < 3; ++i) {
    std::string record;
    for (int16_t value : FrameValues(i)) record += std::to_string(value) + ",";
    good += "2015/03/07-14:05:0" + std::to_string(i) + ".500   -   " + record + "\r\n";
  }
  const std::string clean = folder.Files().Write("clean.log", good);
  const std::string shortRecord = "2015/03/07-14:05:09.000   -   1,2,3,\r\n";
  std::string noisy = shortRecord + good.substr(0, good.size() / 2) + "\n" + good.substr(good.size() / 2);
  noisy += "not a log line\r\n" + shortRecord + shortRecord + "2015/02/30-14:05:09.000   -   1,\r\n";
  const std::string noisyLog = folder.Files().Write("noisy.log", noisy);

  std::string errors;
  const std::string replayed = Replay(folder, noisyLog, "noisy", &errors);
  EXPECT_EQ(replayed, Replay(folder, clean, "clean"));
  const auto count = [&](std::string_view text) {
    size_t found = 0;
    for (size_t at = errors.find(text); at != std::string::npos; at = errors.find(text, at + 1)) ++found;
    return found;
  };
  EXPECT_EQ(count("Plenx Logger: Encountered an improper argument.\n"), 1u) << errors;
  EXPECT_EQ(count(" were skipped:"), 1u) << errors;
  EXPECT_NE(errors.find("Plenx Logger: 7 of 9 lines of " + noisyLog +
                        " were skipped:\nline 1: the record holds 3 "
                        "values; the layout 69,4,40 has 229\n"),
            std::string::npos)
      << errors;
}

TEST(ReplayTest, ExitStatusSaysWhetherTheLogWasReplayed) {
  ProgramFolder folder;
  const std::string missing = folder.Files().Path("missing.log");
  LoggerProcess absent(folder, {"--headless", "--replay", missing}, "absent");
  EXPECT_EQ(absent.WaitExit(), 1);
  EXPECT_NE(
      absent.Err().find("Plenx Logger: Cannot open log file " + missing + ": no such file or directory."),
      std::string::npos)
      << absent.Err();
  EXPECT_EQ(absent.Out(), "");

  LoggerProcess folderGiven(folder, {"--headless", "--replay", folder.Files().path()}, "folder");
  EXPECT_EQ(folderGiven.WaitExit(), 1);
  EXPECT_NE(folderGiven.Err().find(": is a directory."), std::string::npos) << folderGiven.Err();

  const std::vector<std::vector<std::string>> badArguments = {
      {"--speed", "2"},
      {"--headless", "--replay", "site.log", "--speed", "-1"},
      {"--headless", "--replay", "site.log", "--speed", "fast"},
      {"--headless", "--replay", "site.log", "--log", "other.log"},
      {"--replay", "site.log", "--start"},
  };
  for (const std::vector<std::string>& arguments : badArguments) {
    SCOPED_TRACE(arguments.back());
    LoggerProcess logger(folder, arguments, "bad");
    EXPECT_EQ(logger.WaitExit(), 2);
    EXPECT_NE(logger.Err().find("usage: plenx-logger"), std::string::npos) << logger.Err();
  }
}

}  // namespace
